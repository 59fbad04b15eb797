// Classifies the markup of a UTF-16 XML text one node at a time, for CXmlDocument's tree builder and for the
// collection of an element's text. Lenient: bad markup never stops it; it comes back as an error node that
// carries a message, and the caller moves on past it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Node kinds; the values are fixed.
enum XmlNodeKind : int {
    kXmlEndTag = 0,                  // </name ... >
    kXmlElementTag = 1,              // <name ... > or <name ... />
    kXmlText = 2,                    // character data
    kXmlWhitespace = 4,              // a run of space, tab, LF, CR only
    kXmlCdata = 8,                   // <![CDATA[ ... ]]>
    kXmlProcessingInstruction = 16,  // <? ... ?>
    kXmlComment = 32,                // <!-- ... -->
    kXmlDocumentType = 64,   // <!DOCTYPE ... > and the declarations <!ELEMENT, <!ATTLIST, <!NOTATION ...
    kXmlError = -1,          // malformed markup; the node's message says what
    kXmlEndOfDocument = -2,  // the scan started at the end of the text
};

struct XmlNode {
    int kind = kXmlEndOfDocument;
    int32_t start = 0;           // offset of the node's first character (its '<' for markup), in UTF-16 units
    int32_t length = 0;          // units covered; at least 1 except at the end of the document
    bool empty_element = false;  // an element tag that ends in "/>"
    bool unterminated = false;   // the text ended inside the node (an error node)
    std::u16string_view name;    // element, end tag and processing instruction names: a view into the text
    std::u16string message;      // error nodes only
};

class CXmlNodeScanner {
public:
    // The text must outlive the scanner and the nodes it returns; it ends at its size (a NUL inside it is an
    // ordinary character). Offsets are int32_t, so the text must be shorter than 2^31 units.
    explicit CXmlNodeScanner(std::u16string_view text) : text_(text) {}

    // Scans the node that begins at `offset` (0 <= offset <= size) into `node`, reusing its storage.
    void Scan(int32_t offset, XmlNode& node) const;

private:
    using Iterator = const char16_t*;

    void ScanText(Iterator at, XmlNode& node) const;
    void ScanElementTag(Iterator at, XmlNode& node) const;
    void ScanEndTag(Iterator at, XmlNode& node) const;
    void ScanProcessingInstruction(Iterator at, XmlNode& node) const;
    void ScanMarkupDeclaration(Iterator at, XmlNode& node) const;
    void ScanDocumentType(Iterator at, XmlNode& node) const;
    void Incorrect(Iterator at, const char16_t* what, XmlNode& node) const;
    void Unterminated(Iterator at, const char16_t* what, XmlNode& node) const;
    void Finish(Iterator at, Iterator after, int kind, XmlNode& node) const;

    // End of a nested declaration, comment or processing instruction of a document type's internal subset,
    // `at` being its '<'; `at` + 1 when `at` starts none of them; nullptr when the text ends inside it.
    Iterator SkipInternalSubsetMarkup(Iterator at) const;
    // The '>' that ends a run in which '"' and '\'' toggle quoting (each ignored while the other is open);
    // end() when there is none.
    Iterator FindUnquotedClose(Iterator from) const;
    // The '>' of the first `terminator` ("-->", "]]>", "?>") whose first character is at or after `from`;
    // end() when there is none.
    Iterator FindTerminator(Iterator from, std::u16string_view terminator) const;

    Iterator begin() const { return text_.data(); }
    Iterator end() const { return text_.data() + text_.size(); }

    std::u16string_view text_;
};

inline bool IsXmlWhitespace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Name matching for elements, end tags and attributes: `token` (the name found in the text) must equal the
// first characters of `requested`, and `requested` must end there or go on with whitespace, '=', '/', '[' or
// ']'. So "Product" does not match a token "ProductID", nor "ProductID" a token "Product".
bool XmlNameMatches(std::u16string_view token, std::u16string_view requested);

// "<prefix> at offset <n><suffix>": the shape of every parse message.
std::u16string XmlOffsetMessage(std::u16string_view prefix, int64_t offset, std::u16string_view suffix = {});
std::u16string XmlNumberText(int64_t number);
