// CXmlDocument's test hooks: the element index checked against the text, and a listing of it.
#include <vector>

#include "formats/xml_document.h"

std::string CXmlDocument::CheckIndexForTesting() const {
    auto fault = [](uint32_t index, const char* what) {
        return "element " + std::to_string(index) + ": " + what;
    };
    if (text_.size() > kMaxTextLength) return Record(0).first_child ? "an oversized text was indexed" : "";
    if (size_t(Record(0).length) != text_.size()) return "record 0 does not span the text";
    const int64_t text_size = int64_t(text_.size());
    uint32_t visited = 0;
    std::vector<uint32_t> parents{0};
    while (!parents.empty()) {
        const uint32_t parent = parents.back();
        parents.pop_back();
        const ElementRecord& p = Record(parent);
        // The children lie in order inside the parent's content.
        int64_t low = parent ? p.start + int64_t(StartTagLength(p)) : 0;
        const int64_t high = parent ? End(p) - EndTagLength(p) : text_size;
        const uint32_t first = p.first_child;
        if (first && (p.level_flags & kUnended)) return fault(parent, "unended but has children");
        uint32_t previous = 0;
        for (uint32_t index = first; index; index = Record(index).next_sibling) {
            if (index >= next_free_ || ++visited >= next_free_)
                return fault(index, "link outside the index or loop");
            const ElementRecord& r = Record(index);
            if (r.parent != parent) return fault(index, "wrong parent");
            if (bool(r.level_flags & kFirstChild) != (index == first))
                return fault(index, "wrong first-child flag");
            if (index != first && r.previous_sibling != previous)
                return fault(index, "wrong previous sibling");
            if (Depth(r) != (parent ? Depth(p) + 1 : 0)) return fault(index, "wrong depth");
            if (r.level_flags & kIllFormed) return fault(index, "ill-formed flag outside record 0");
            const int64_t start_tag = StartTagLength(r);
            const int64_t end_tag = EndTagLength(r);
            if (r.start < low || End(r) > high)
                return fault(index, "outside the parent's content or overlapping");
            if (start_tag < 3 || r.length < start_tag + end_tag) return fault(index, "lengths do not add up");
            if (text_[size_t(r.start)] != u'<' || text_[size_t(r.start + start_tag - 1)] != u'>') {
                return fault(index, "start tag not at its '<' ... '>'");
            }
            if (r.level_flags & kUnended) {
                if (end_tag || r.length != start_tag) return fault(index, "unended with an end tag");
            } else if (!end_tag) {
                if (r.length != start_tag || text_[size_t(r.start + start_tag - 2)] != u'/') {
                    return fault(index, "empty element without '/>'");
                }
            } else if (end_tag < 3 || text_.compare(size_t(End(r) - end_tag), 2, u"</") != 0 ||
                       text_[size_t(End(r) - 1)] != u'>') {
                return fault(index, "end tag not at its '</' ... '>'");
            }
            if (!r.next_sibling && Record(first).previous_sibling != index) {
                return fault(first, "previous sibling is not the last child");
            }
            low = End(r);
            previous = index;
            parents.push_back(index);
        }
    }
    if (visited != next_free_ - 1) return "records not reachable from the document";
    return "";
}

std::string CXmlDocument::DescribeTreeForTesting() const {
    std::string listing;
    uint32_t steps = 0;
    uint32_t index = Record(0).first_child;
    while (index && ++steps < next_free_ + 1) {
        const ElementRecord& r = Record(index);
        listing += std::to_string(r.start) + "," + std::to_string(r.length) + "," +
                   std::to_string(StartTagLength(r)) + "," + std::to_string(EndTagLength(r)) + "," +
                   std::to_string(Depth(r)) + ((r.level_flags & kUnended) ? ",u;" : ";");
        if (r.first_child) {
            index = r.first_child;
            continue;
        }
        while (index && !Record(index).next_sibling) index = Record(index).parent;
        if (index) index = Record(index).next_sibling;
    }
    return listing;
}
