#include "formats/xml_node_scanner.h"

#include <algorithm>
#include <cstddef>

namespace {

bool IsNameStart(char16_t c) {
    return (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c >= 0x61;
}

}  // namespace

bool XmlNameMatches(std::u16string_view token, std::u16string_view requested) {
    if (token.size() > requested.size() || requested.compare(0, token.size(), token) != 0) return false;
    if (token.size() == requested.size()) return true;
    char16_t next = requested[token.size()];
    return IsXmlWhitespace(next) || next == u'=' || next == u'/' || next == u'[' || next == u']';
}

std::u16string XmlNumberText(int64_t number) {
    std::u16string digits;
    uint64_t magnitude = number < 0 ? 0 - uint64_t(number) : uint64_t(number);
    do {
        digits += char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (number < 0) digits += u'-';
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::u16string XmlOffsetMessage(std::u16string_view prefix, int64_t offset, std::u16string_view suffix) {
    std::u16string message(prefix);
    message += u" at offset ";
    message += XmlNumberText(offset);
    message += suffix;
    return message;
}

void CXmlNodeScanner::Scan(int32_t offset, XmlNode& node) const {
    Iterator at = begin() + offset;
    node.start = offset;
    node.empty_element = false;
    node.unterminated = false;
    node.name = {};
    node.message.clear();
    if (at >= end()) {
        node.kind = kXmlEndOfDocument;
        node.length = 0;
        return;
    }
    if (*at != u'<') return ScanText(at, node);
    if (at + 1 == end()) return Unterminated(at, u"tag", node);
    char16_t next = at[1];
    if (IsNameStart(next)) return ScanElementTag(at, node);
    if (next == u'/') return ScanEndTag(at, node);
    if (next == u'?') return ScanProcessingInstruction(at, node);
    if (next == u'!') return ScanMarkupDeclaration(at, node);
    Incorrect(at, u"tag name character", node);
}

void CXmlNodeScanner::ScanText(Iterator at, XmlNode& node) const {
    Iterator q = at;
    while (q < end() && IsXmlWhitespace(*q)) ++q;
    if (q == end() || *q == u'<') return Finish(at, q, kXmlWhitespace, node);
    while (q < end() && *q != u'<' && *q != u'>') ++q;
    if (q < end() && *q == u'>') ++q;
    Finish(at, q, kXmlText, node);
}

void CXmlNodeScanner::ScanElementTag(Iterator at, XmlNode& node) const {
    Iterator name_end = at + 1;
    while (name_end < end() && !IsXmlWhitespace(*name_end) && *name_end != u'/' && *name_end != u'>')
        ++name_end;
    // A quote opens a value only right after '=' (whitespace between them allowed); inside it only the same
    // quote closes it, so a '>' in a quoted value does not end the tag.
    bool after_equals = false;
    Iterator q = name_end;
    while (q < end()) {
        char16_t c = *q;
        if (c == u'>') break;
        if (c == u'=') {
            after_equals = true;
            ++q;
            continue;
        }
        if (after_equals) {
            if (IsXmlWhitespace(c)) {
                ++q;
                continue;
            }
            after_equals = false;
            if (c == u'"' || c == u'\'') {
                q = std::find(q + 1, end(), c);
                if (q == end()) break;
            }
        }
        ++q;
    }
    if (q == end()) return Unterminated(at, u"Element tag", node);
    node.name = std::u16string_view(at + 1, size_t(name_end - (at + 1)));
    // "/>" makes an empty element only when the '/' cannot belong to an unquoted value: `<a b=c/>` is a start
    // tag whose attribute b has the value "c/".
    if (q[-1] == u'/') {
        char16_t before = q[-2];
        node.empty_element =
            q - 1 == name_end || IsXmlWhitespace(before) || before == u'"' || before == u'\'';
    }
    Finish(at, q + 1, kXmlElementTag, node);
}

void CXmlNodeScanner::ScanEndTag(Iterator at, XmlNode& node) const {
    Iterator close = std::find(at + 2, end(), u'>');
    if (close == end()) return Unterminated(at, u"Element end tag", node);
    node.name = std::u16string_view(at + 2, size_t(close - (at + 2)));
    Finish(at, close + 1, kXmlEndTag, node);
}

void CXmlNodeScanner::ScanProcessingInstruction(Iterator at, XmlNode& node) const {
    Iterator close = FindTerminator(at + 2, u"?>");
    if (close == end()) return Unterminated(at, u"Processing instruction", node);
    Iterator name_end = at + 2;
    while (name_end < close && !IsXmlWhitespace(*name_end) && *name_end != u'?') ++name_end;
    node.name = std::u16string_view(at + 2, size_t(name_end - (at + 2)));
    Finish(at, close + 1, kXmlProcessingInstruction, node);
}

void CXmlNodeScanner::ScanMarkupDeclaration(Iterator at, XmlNode& node) const {
    char16_t kind = at + 2 < end() ? at[2] : 0;
    char16_t letter = at + 3 < end() ? at[3] : 0;
    if (kind == u'-') {
        if (letter != u'-') return Incorrect(at, u"comment tag", node);
        Iterator close = FindTerminator(at + 4, u"-->");
        if (close == end()) return Unterminated(at, u"Comment", node);
        return Finish(at, close + 1, kXmlComment, node);
    }
    if (kind == u'[') {
        if (letter != u'C') return Incorrect(at, u"tag", node);
        Iterator close = FindTerminator(at + 4, u"]]>");
        if (close == end()) return Unterminated(at, u"CDATA Section", node);
        return Finish(at, close + 1, kXmlCdata, node);
    }
    if (kind == u'D') return ScanDocumentType(at, node);
    if (kind == u'E' || kind == u'A' || kind == u'N') {
        Iterator close = FindUnquotedClose(at + 2);
        if (close == end()) return Unterminated(at, u"Doctype", node);
        return Finish(at, close + 1, kXmlDocumentType, node);
    }
    Incorrect(at, u"! tag", node);
}

void CXmlNodeScanner::ScanDocumentType(Iterator at, XmlNode& node) const {
    char16_t quote = 0;
    Iterator q = at + 3;
    while (q < end()) {
        char16_t c = *q;
        if (quote) {
            if (c == quote) quote = 0;
            ++q;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
            ++q;
        } else if (c == u'>') {
            return Finish(at, q + 1, kXmlDocumentType, node);
        } else if (c == u'<') {
            q = SkipInternalSubsetMarkup(q);
            if (!q) break;
        } else {
            ++q;
        }
    }
    Unterminated(at, u"Doctype", node);
}

CXmlNodeScanner::Iterator CXmlNodeScanner::SkipInternalSubsetMarkup(Iterator at) const {
    char16_t first = at + 1 < end() ? at[1] : 0;
    char16_t second = at + 2 < end() ? at[2] : 0;
    Iterator close = end();
    if (first == u'?') {
        close = FindTerminator(at + 2, u"?>");
    } else if (first == u'!' && second == u'-' && at + 3 < end() && at[3] == u'-') {
        close = FindTerminator(at + 4, u"-->");
    } else if (first == u'!' && (second == u'E' || second == u'A' || second == u'N')) {
        close = FindUnquotedClose(at + 2);
    } else {
        return at + 1;  // not markup of the internal subset: an ordinary character
    }
    return close == end() ? nullptr : close + 1;
}

CXmlNodeScanner::Iterator CXmlNodeScanner::FindUnquotedClose(Iterator from) const {
    char16_t quote = 0;
    for (Iterator q = from; q < end(); ++q) {
        char16_t c = *q;
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return q;
        }
    }
    return end();
}

CXmlNodeScanner::Iterator CXmlNodeScanner::FindTerminator(Iterator from,
                                                          std::u16string_view terminator) const {
    const size_t lead = terminator.size() - 1;
    if (end() - from < std::ptrdiff_t(terminator.size())) return end();
    for (Iterator q = from + lead;; ++q) {
        q = std::find(q, end(), u'>');
        if (q == end()) return end();
        if (std::u16string_view(q - lead, lead) == terminator.substr(0, lead)) return q;
    }
}

void CXmlNodeScanner::Incorrect(Iterator at, const char16_t* what, XmlNode& node) const {
    // The error node runs to the next '>' (inclusive) or up to the next '<'.
    Iterator q = at + 1;
    while (q < end() && *q != u'>' && *q != u'<') ++q;
    if (q == end()) return Unterminated(at, u"tag", node);
    node.message = XmlOffsetMessage(std::u16string(u"Incorrect ") + what, at - begin());
    Finish(at, *q == u'>' ? q + 1 : q, kXmlError, node);
}

void CXmlNodeScanner::Unterminated(Iterator at, const char16_t* what, XmlNode& node) const {
    node.name = {};
    node.empty_element = false;
    node.unterminated = true;
    node.message = XmlOffsetMessage(what, at - begin(), u" unterminated");
    Finish(at, end(), kXmlError, node);
}

void CXmlNodeScanner::Finish(Iterator at, Iterator after, int kind, XmlNode& node) const {
    node.kind = kind;
    node.length = int32_t(after - at);
}
