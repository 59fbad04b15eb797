#include "formats/xml_document.h"

#include <algorithm>

#include "formats/xml_node_scanner.h"

CXmlDocument::CXmlDocument() {
    SetDocumentText(std::u16string_view());
}

CXmlDocument::CXmlDocument(std::u16string_view text) {
    SetDocumentText(text);
}

bool CXmlDocument::SetDocumentText(const char16_t* text) {
    return SetDocumentText(text ? std::u16string_view(text) : std::u16string_view());
}

bool CXmlDocument::SetDocumentText(std::u16string_view text) {
    text_.assign(UntilNul(text));
    return Parse(std::u16string());
}

// The result text is the file note (empty after SetDocumentText), then ", " and the parse message.
bool CXmlDocument::Parse(std::u16string file_note) {
    result_.clear();
    ResetPosition();
    ends_inside_node_ = false;
    std::u16string message;
    uint32_t root = 0;
    if (text_.size() > kMaxTextLength) {
        ResetIndex(8);
        Record(0).level_flags = kIllFormed;
        message = u"Document too large";
    } else {
        ResetIndex(uint32_t(text_.size() / 64 + 8));
        if (text_.empty()) {
            message = u"Empty document";
        } else {
            root = BuildTree(message);
            Record(0).length = int32_t(text_.size());
            // These document-level findings replace whatever the scan recorded.
            if (!root) {
                message = u"No root element";
            } else if (Record(root).next_sibling) {
                message = u"Root element has sibling";
            }
        }
    }
    ResetPosition();
    result_ = std::move(file_note);
    if (!result_.empty() && !message.empty()) result_ += u", ";
    result_ += message;
    return !(Record(0).level_flags & kIllFormed) && root && !Record(root).next_sibling;
}

// One pass over the nodes with a stack of the open elements. Returns the root element (0 when there is none);
// `message` receives the first problem found.
uint32_t CXmlDocument::BuildTree(std::u16string& message) {
    auto problem = [&](auto&& make_message) {
        Record(0).level_flags |= kIllFormed;
        if (message.empty()) message = make_message();
    };
    std::vector<OpenElement> open;
    open.reserve(6);
    uint32_t current_parent = 0;
    bool any_unended = false;
    CXmlNodeScanner scanner(text_);
    XmlNode node;
    for (int32_t offset = 0;; offset += node.length) {
        scanner.Scan(offset, node);
        if (node.kind == kXmlElementTag) {
            if (uint32_t(node.length) > kMaxStartTagLength) {
                problem([&] { return XmlOffsetMessage(u"Element tag", node.start, u" too long"); });
                continue;
            }
            if (open.size() > kMaxDepth) {
                problem([&] {
                    return XmlOffsetMessage(u"Element '" + std::u16string(node.name) + u"'", node.start,
                                            u" nested too deeply");
                });
                continue;
            }
            uint32_t index = NewRecord();
            ElementRecord& record = Record(index);
            record.start = node.start;
            record.length = node.length;
            record.tag_lengths = uint32_t(node.length);
            record.level_flags = uint32_t(open.size());
            record.parent = current_parent;
            record.first_child = record.next_sibling = record.previous_sibling = 0;
            AppendChild(current_parent, index);
            if (!node.empty_element) {
                if (open.size() == open.capacity()) open.reserve(open.capacity() * 2 + 6);
                open.push_back({node.name, node.start, index});
                current_parent = index;
            }
        } else if (node.kind == kXmlEndTag) {
            if (uint32_t(node.length) > kMaxEndTagLength) {
                problem([&] { return XmlOffsetMessage(u"Element end tag", node.start, u" too long"); });
                continue;
            }
            size_t depth = open.size();
            while (depth > 0 && !XmlNameMatches(open[depth - 1].name, node.name)) --depth;
            if (depth == 0) {
                problem([&] {
                    return XmlOffsetMessage(u"No start tag for end tag '" + std::u16string(node.name) + u"'",
                                            node.start);
                });
                continue;
            }
            const OpenElement matched = open[depth - 1];
            ElementRecord& record = Record(matched.record);
            record.length = node.start + node.length - matched.start;
            record.tag_lengths = StartTagLength(record) | (uint32_t(node.length) << 22);
            if (depth < open.size()) {
                const OpenElement& inner = open.back();
                problem([&] {
                    return XmlOffsetMessage(
                        u"End tag '" + std::u16string(node.name) + u"'", node.start + 1,
                        XmlOffsetMessage(u" does not match start tag '" + std::u16string(inner.name) + u"'",
                                         inner.start));
                });
                CloseUnended(open, depth, matched.record);
                any_unended = true;
            }
            open.resize(depth - 1);
            current_parent = open.empty() ? 0 : open.back().record;
        } else if (node.kind == kXmlError) {
            problem([&] { return node.message; });
            ends_inside_node_ = node.unterminated;
        } else if (node.kind == kXmlEndOfDocument) {
            break;
        }
    }
    if (!open.empty()) {
        const OpenElement& inner = open.back();
        problem([&] {
            return XmlOffsetMessage(u"Element '" + std::u16string(inner.name) + u"'", inner.start,
                                    u" not ended");
        });
        CloseUnended(open, 0, 0);
        any_unended = true;
    }
    if (any_unended) RecomputeDepths();
    return Record(0).first_child;
}

// Closes open[from ...] as unended: each keeps only its start tag and its children move up to follow it.
// open[j + 1] is always the last child of open[j], and open[from] the last child of `into`, so appending each
// child list to `into` in turn, outermost first, gives the order of closing them innermost first, and every
// element moves at most once.
void CXmlDocument::CloseUnended(const std::vector<OpenElement>& open, size_t from, uint32_t into) {
    Record(0).level_flags |= kIllFormed;
    for (size_t j = from; j < open.size(); ++j) {
        ElementRecord& element = Record(open[j].record);
        element.level_flags |= kUnended;
        element.length = int32_t(StartTagLength(element));
        element.tag_lengths = StartTagLength(element);
        uint32_t first = element.first_child;
        if (!first) continue;
        element.first_child = 0;
        uint32_t last = Record(first).previous_sibling;
        for (uint32_t child = first; child; child = Record(child).next_sibling) Record(child).parent = into;
        Record(first).level_flags &= ~kFirstChild;
        uint32_t into_first = Record(into).first_child;
        uint32_t into_last = Record(into_first).previous_sibling;
        Record(into_last).next_sibling = first;
        Record(first).previous_sibling = into_last;
        Record(into_first).previous_sibling = last;
    }
}

// Moved elements keep the depth they were created with; a parent always has a lower index than its children,
// so one forward pass sets every depth from the parent's.
void CXmlDocument::RecomputeDepths() {
    for (uint32_t index = 1; index < next_free_; ++index) {
        ElementRecord& record = Record(index);
        uint32_t depth = record.parent ? Depth(Record(record.parent)) + 1 : 0;
        record.level_flags = (record.level_flags & ~0xFFFFu) | depth;
    }
}

void CXmlDocument::ResetIndex(uint32_t capacity) {
    pages_.clear();
    allocated_ = 0;
    while (allocated_ < capacity) {
        uint32_t size = std::min(kPageSize, capacity - allocated_);
        pages_.emplace_back(size);
        allocated_ += size;
    }
    next_free_ = 1;
    Record(0) = ElementRecord{};
}

// Grows to 1.5 times: the partial last page is filled up (the only copy), then new pages are added.
void CXmlDocument::GrowIndex() {
    uint32_t target = uint32_t(std::min<uint64_t>(uint64_t(allocated_) * 3 / 2 + 1, 0xFFFFFFFFu));
    while (allocated_ < target) {
        if (pages_.back().size() == kPageSize) pages_.emplace_back();
        std::vector<ElementRecord>& page = pages_.back();
        uint32_t room = std::min(kPageSize - uint32_t(page.size()), target - allocated_);
        page.reserve(page.size() + room);
        page.resize(page.size() + room);
        allocated_ += room;
    }
}

uint32_t CXmlDocument::NewRecord() {
    if (next_free_ >= allocated_) GrowIndex();
    return next_free_++;
}

void CXmlDocument::AppendChild(uint32_t parent, uint32_t child) {
    uint32_t first = Record(parent).first_child;
    ElementRecord& record = Record(child);
    record.next_sibling = 0;
    if (!first) {
        Record(parent).first_child = child;
        record.level_flags |= kFirstChild;
        record.previous_sibling = child;
        return;
    }
    uint32_t last = Record(first).previous_sibling;
    Record(last).next_sibling = child;
    record.previous_sibling = last;
    Record(first).previous_sibling = child;
}

// The name used for matching: the run after '<' up to whitespace or one of <>=\/?!.
std::u16string_view CXmlDocument::ElementName(const ElementRecord& r) const {
    const char16_t* p = text_.data() + r.start + 1;
    const char16_t* end = text_.data() + r.start + StartTagLength(r);
    while (p < end && IsXmlWhitespace(*p)) ++p;
    const char16_t* q = p;
    while (q < end && !IsXmlWhitespace(*q) &&
           std::u16string_view(u"<>=\\/?!").find(*q) == std::u16string_view::npos)
        ++q;
    return std::u16string_view(p, size_t(q - p));
}

// The tag name as the scanner reads it: the run after '<' up to whitespace, '/' or '>'.
std::u16string_view CXmlDocument::ElementTagName(const ElementRecord& r) const {
    const char16_t* p = text_.data() + r.start + 1;
    const char16_t* end = text_.data() + r.start + StartTagLength(r);
    const char16_t* q = p;
    while (q < end && !IsXmlWhitespace(*q) && *q != u'/' && *q != u'>') ++q;
    return std::u16string_view(p, size_t(q - p));
}

void CXmlDocument::ResetPosition() {
    parent_ = current_ = child_ = 0;
}

void CXmlDocument::ResetChildPosition() {
    child_ = 0;
}

uint32_t CXmlDocument::FindSibling(uint32_t first, std::u16string_view name) const {
    name = UntilNul(name);
    for (uint32_t index = first; index; index = Record(index).next_sibling) {
        if (name.empty() || XmlNameMatches(ElementName(Record(index)), name)) return index;
    }
    return 0;
}

bool CXmlDocument::FindElement(std::u16string_view name) {
    uint32_t from = current_ ? Record(current_).next_sibling : Record(parent_).first_child;
    uint32_t found = FindSibling(from, name);
    if (!found) return false;
    current_ = found;
    parent_ = Record(found).parent;
    child_ = 0;
    return true;
}

bool CXmlDocument::FindChildElement(std::u16string_view name) {
    if (!current_ && !FindElement()) return false;
    uint32_t from = child_ ? Record(child_).next_sibling : Record(current_).first_child;
    uint32_t found = FindSibling(from, name);
    if (!found) return false;
    child_ = found;
    return true;
}

bool CXmlDocument::EnterElement() {
    if (!current_) return false;
    parent_ = current_;
    current_ = child_;
    child_ = 0;
    return true;
}

bool CXmlDocument::LeaveElement() {
    if (!parent_) return false;
    child_ = current_;
    current_ = parent_;
    parent_ = Record(parent_).parent;
    return true;
}

std::u16string CXmlDocument::GetElementName() const {
    return current_ ? std::u16string(ElementName(Record(current_))) : std::u16string();
}

std::u16string CXmlDocument::GetElementText() const {
    if (!current_) return std::u16string();
    const ElementRecord& r = Record(current_);
    if (r.first_child || EndTagLength(r) == 0) return std::u16string();
    std::u16string_view content(text_.data() + r.start + StartTagLength(r),
                                size_t(r.length) - StartTagLength(r) - EndTagLength(r));
    if (content.find(u'<') == std::u16string_view::npos) return UnescapeText(content);
    // Markup inside: the character data of text nodes and the raw inside of CDATA sections, in order.
    constexpr int32_t kCdataOpen = 9;   // <![CDATA[
    constexpr int32_t kCdataClose = 3;  // ]]>
    std::u16string text;
    CXmlNodeScanner scanner(content);
    XmlNode node;
    for (int32_t offset = 0;; offset += node.length) {
        scanner.Scan(offset, node);
        if (node.kind == kXmlEndOfDocument) break;
        if (node.kind == kXmlText) {
            text += UnescapeText(content.substr(size_t(node.start), size_t(node.length)));
        } else if (node.kind == kXmlCdata && node.length >= kCdataOpen + kCdataClose) {
            text += content.substr(size_t(node.start + kCdataOpen),
                                   size_t(node.length - kCdataOpen - kCdataClose));
        }
    }
    return text;
}

// Tokens of the start tag: a quoted token runs to the same quote; right after '=' a token runs to whitespace
// or '>'; elsewhere to '=', whitespace, '>', '/' or '?'. The first token is the tag name; '=' announces a
// value; a token starting with '>', '/' or '?' ends the tag; any other token is an attribute name.
std::u16string CXmlDocument::GetAttribute(std::u16string_view name) const {
    if (!current_) return std::u16string();
    name = UntilNul(name);
    const ElementRecord& r = Record(current_);
    const char16_t* p = text_.data() + r.start + 1;
    const char16_t* const end = text_.data() + r.start + StartTagLength(r);
    bool seen_tag_name = false;
    bool after_equals = false;
    bool matched = false;  // the last attribute name was the requested one; its value may follow
    std::u16string_view matched_name;
    for (;;) {
        while (p < end && IsXmlWhitespace(*p)) ++p;
        if (p >= end) break;
        char16_t c = *p;
        if (c == u'"' || c == u'\'') {
            const char16_t* close = std::find(p + 1, end, c);
            if (matched) return UnescapeText(std::u16string_view(p + 1, size_t(close - (p + 1))));
            p = close < end ? close + 1 : end;
            after_equals = false;
            continue;
        }
        if (after_equals) {
            if (c == u'>') break;
            after_equals = false;
            const char16_t* q = p + 1;
            while (q < end && !IsXmlWhitespace(*q) && *q != u'>') ++q;
            if (matched) return UnescapeText(std::u16string_view(p, size_t(q - p)));
            p = q;
            continue;
        }
        if (c == u'=') {
            after_equals = true;
            ++p;
            continue;
        }
        if (c == u'>' || c == u'/' || c == u'?') break;
        const char16_t* q = p + 1;
        while (q < end && !IsXmlWhitespace(*q) && *q != u'=' && *q != u'>' && *q != u'/' && *q != u'?') ++q;
        std::u16string_view token(p, size_t(q - p));
        p = q;
        if (!seen_tag_name) {
            seen_tag_name = true;
        } else if (matched) {
            break;  // another name follows: the matched attribute has no value
        } else if (XmlNameMatches(token, name)) {
            matched = true;
            matched_name = token;
        }
    }
    if (after_equals && matched) return std::u16string();  // "name=" and then the end: an empty value
    return matched ? UnescapeText(matched_name) : std::u16string();
}
