// CXmlDocument::AddElement: the text is changed in place and the index shifted, never parsed again.
#include <algorithm>

#include "formats/xml_document.h"
#include "formats/xml_node_scanner.h"

namespace {

constexpr std::u16string_view kLineBreak = u"\r\n";

// A name that the scanner reads back whole, in a start tag and in an end tag that fits the index.
bool IsValidNewName(std::u16string_view name) {
    constexpr size_t kMaxName = 1023 - 3;  // "</" + name + ">" must fit the end-tag field
    if (name.empty() || name.size() > kMaxName) return false;
    char16_t first = name[0];
    if (!((first >= u'A' && first <= u'Z') || first == u'_' || first == u':' || first >= 0x61)) return false;
    return std::none_of(name.begin(), name.end(), [](char16_t c) {
        return IsXmlWhitespace(c) ||
               std::u16string_view(u"<>=/\\?!\"'&").find(c) != std::u16string_view::npos;
    });
}

}  // namespace

bool CXmlDocument::AddElement(std::u16string_view name, std::u16string_view text) {
    name = UntilNul(name);
    text = UntilNul(text);
    if (!IsValidNewName(name) || text_.size() > kMaxTextLength) return false;
    if (current_ && Record(current_).parent != parent_) return false;
    uint32_t depth = parent_ ? Depth(Record(parent_)) + 1 : 0;
    if (depth > kMaxDepth) return false;

    const std::u16string escaped = EscapeText(text);
    const uint32_t start_tag_length = uint32_t(name.size() + (text.empty() ? 3 : 2));
    const uint32_t end_tag_length = text.empty() ? 0 : uint32_t(name.size() + 3);
    const size_t element_length = start_tag_length + escaped.size() + end_tag_length;

    // Where it goes and what is written around it: normally only a line break after it; a parent without
    // content first gains line breaks, or its end tag.
    int64_t position = 0;
    size_t replaced = 0;
    std::u16string_view before;  // written before the element
    std::u16string parent_end_tag;
    bool parent_was_empty = false;
    if (current_) {
        position = SkipWhitespaceBeforeMarkup(End(Record(current_)));
    } else if (!parent_) {
        uint32_t first = Record(0).first_child;
        position = SkipWhitespaceBeforeMarkup(first ? End(Record(Record(first).previous_sibling))
                                                    : int64_t(text_.size()));
    } else {
        const ElementRecord& parent = Record(parent_);
        const uint32_t parent_start_tag = StartTagLength(parent);
        const uint32_t parent_end_tag_length = EndTagLength(parent);
        if ((parent.level_flags & kUnended) || parent_end_tag_length == 0) {
            parent_end_tag.append(u"</").append(ElementTagName(parent)).append(u">");
            if (parent_end_tag.size() > kMaxEndTagLength) return false;
            if (parent.level_flags & kUnended) {
                // `<p>` never closed: it gains its content and end tag right after its start tag.
                position = parent.start + parent_start_tag;
                before = kLineBreak;
            } else {
                // `<p/>` becomes `<p>` CRLF element CRLF `</p>`: its "/>" is replaced.
                parent_was_empty = true;
                position = parent.start + parent_start_tag - 2;
                replaced = 2;
                before = u">\r\n";
            }
        } else if (uint32_t(parent.length) == parent_start_tag + parent_end_tag_length) {
            position = parent.start + parent_start_tag;  // `<p></p>`
            before = kLineBreak;
        } else {
            uint32_t first = parent.first_child;
            position = SkipWhitespaceBeforeMarkup(first ? End(Record(Record(first).previous_sibling))
                                                        : End(parent) - parent_end_tag_length);
        }
    }
    std::u16string insert;
    insert.reserve(before.size() + element_length + kLineBreak.size() + parent_end_tag.size());
    insert.append(before).append(u"<").append(name);
    if (text.empty()) {
        insert.append(u"/>");
    } else {
        insert.append(u">").append(escaped).append(u"</").append(name).append(u">");
    }
    insert.append(kLineBreak).append(parent_end_tag);
    const size_t element_offset = before.size();

    if (ends_inside_node_ && size_t(position) == text_.size()) return false;
    const int64_t delta = int64_t(insert.size()) - int64_t(replaced);
    const size_t needed = size_t(int64_t(text_.size()) + delta);
    if (needed > kMaxTextLength) return false;

    // Room for several more additions, so that a run of them does not reallocate every time.
    if (needed > text_.capacity()) text_.reserve(needed + needed / 2 + 128);
    text_.replace(size_t(position), replaced, insert);

    if (!parent_end_tag.empty()) {
        ElementRecord& parent = Record(parent_);
        uint32_t start_tag = StartTagLength(parent) - (parent_was_empty ? 1 : 0);
        parent.tag_lengths = start_tag | (uint32_t(parent_end_tag.size()) << 22);
        parent.level_flags &= ~kUnended;
    }
    uint32_t added = NewRecord();
    ElementRecord& record = Record(added);
    record.start = int32_t(position + int64_t(element_offset));
    record.length = int32_t(element_length);
    record.tag_lengths = start_tag_length | (end_tag_length << 22);
    record.level_flags = depth;
    record.parent = parent_;
    record.first_child = record.next_sibling = record.previous_sibling = 0;
    if (current_) {
        ElementRecord& current = Record(current_);
        record.previous_sibling = current_;
        record.next_sibling = current.next_sibling;
        if (current.next_sibling) {
            Record(current.next_sibling).previous_sibling = added;
        } else {
            Record(Record(parent_).first_child).previous_sibling = added;
        }
        current.next_sibling = added;
    } else {
        AppendChild(parent_, added);
    }
    ShiftFollowing(added, int32_t(delta));

    current_ = added;
    child_ = 0;
    return true;
}

// Forward over whitespace when markup or the end of the text follows, so that an addition after an element
// lands at the start of the next line.
int64_t CXmlDocument::SkipWhitespaceBeforeMarkup(int64_t position) const {
    size_t q = size_t(position);
    while (q < text_.size() && IsXmlWhitespace(text_[q])) ++q;
    return q == text_.size() || text_[q] == u'<' ? int64_t(q) : position;
}

// What follows the added element in the text is its later siblings, then the later siblings of each ancestor,
// with their subtrees; the ancestors themselves grow. Cost: the depth plus the number of elements after the
// insertion point, so appending at the end of a parent stays cheap however large the document is.
void CXmlDocument::ShiftFollowing(uint32_t added, int32_t delta) {
    for (uint32_t sibling = Record(added).next_sibling; sibling; sibling = Record(sibling).next_sibling) {
        ShiftSubtree(sibling, delta);
    }
    for (uint32_t ancestor = Record(added).parent;; ancestor = Record(ancestor).parent) {
        Record(ancestor).length += delta;
        if (!ancestor) break;
        for (uint32_t sibling = Record(ancestor).next_sibling; sibling;
             sibling = Record(sibling).next_sibling) {
            ShiftSubtree(sibling, delta);
        }
    }
}

void CXmlDocument::ShiftSubtree(uint32_t top, int32_t delta) {
    uint32_t index = top;
    for (;;) {
        ElementRecord& record = Record(index);
        record.start += delta;
        if (record.first_child) {
            index = record.first_child;
            continue;
        }
        while (index != top && !Record(index).next_sibling) index = Record(index).parent;
        if (index == top) return;
        index = Record(index).next_sibling;
    }
}
