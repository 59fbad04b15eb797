// CXmlDocument: one XML document held as a single UTF-16 text, with an index of its elements beside it. It
// serves the configuration documents (product configuration, language table, server and run configuration).
//
// The parser is lenient and single-pass: it never stops on bad markup. It records the first problem in the
// result text with a character offset, marks the document as not well-formed and still builds an element tree
// that the cursor can walk. The cursor has three positions (parent, current element, child); reading goes
// "find the next element called X at this level, then step into it". Editing is limited to AddElement, which
// changes the text in place and shifts the index instead of parsing again.
//
// Text parameters end at their first NUL, as an XML text cannot hold one. Names compare case-sensitively.
//
// Limits. The index packs each element into 32-bit fields, which bounds what it can hold. A parse never fails
// on them: the offending tag is left out of the index, the document is marked not well-formed and the first
// such problem is recorded like any other markup problem:
//   - a start tag of 4,194,304 units or more: "Element tag at offset %d too long"; its content joins the
//     enclosing element and its end tag then counts as stray;
//   - an end tag of more than 1,023 units: "Element end tag at offset %d too long"; ignored like a stray one;
//   - an element more than 65,535 levels below the root: "Element '%s' at offset %d nested too deeply";
//     every element that deep is left out;
//   - a text of 2^31 units or more is not indexed at all: "Document too large" (a file of 2^31 bytes or more
//     is not read: "File too large").
// AddElement returns false and changes nothing when the name cannot be read back as the same element name
// (empty, over 1,020 units, or holding whitespace, a quote or one of <>=/\?!&), when the new element would be
// nested too deeply, when the text would reach 2^31 units, or when the element would go at the end of a text
// that ends inside an unterminated node (`<?xml ...` without "?>"), where the next parse would not see it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CXmlDocument {
public:
    CXmlDocument();
    explicit CXmlDocument(std::u16string_view text);

    // Clears the result text, stores the text and parses it; true when the document is well-formed (nothing
    // wrong found, a root element and nothing beside it). A null or empty text gives "Empty document".
    bool SetDocumentText(std::u16string_view text);
    bool SetDocumentText(const char16_t* text);
    const std::u16string& GetDocumentText() const { return text_; }

    // Reads the whole file as UTF-8 (no byte-order mark is looked for) and parses it. False when the file
    // cannot be read (the result text says why and the document is left as it was), else the well-formed
    // flag. The result text starts with "<bytes> bytes to <units> wide chars".
    bool LoadFile(const std::u16string& path);
    // Writes the text as UTF-8 without a byte-order mark, through a temporary file renamed over the target,
    // so a reader never sees half a document. True when the whole text was written; the result text says
    // "<units> wide chars to <bytes> bytes", or why the write failed.
    bool SaveFile(const std::u16string& path);

    // The first parse problem, the file note, or both joined by ", "; for the caller's log.
    const std::u16string& GetResultText() const { return result_; }

    // Cursor. The positions are element indices, 0 meaning none (as a parent: the document level).
    void ResetPosition();       // parent, current and child := none
    void ResetChildPosition();  // child := none
    // Goes to the next sibling after the current element (or, with none, to the parent's first child) whose
    // name matches; an empty name matches any. On success current := it, parent := its parent, child := none;
    // on failure the cursor is unchanged.
    bool FindElement(std::u16string_view name = {});
    // Searches the current element's children after the child position (with no current element, first does
    // FindElement with an empty name); on success child := it.
    bool FindChildElement(std::u16string_view name = {});
    // parent := current, current := child, child := none; only with a current element.
    bool EnterElement();
    // child := current, current := parent, parent := the parent's parent; only below the document level.
    bool LeaveElement();

    // The current element's name as its start tag writes it; empty when there is no current element.
    std::u16string GetElementName() const;
    // The current element's character data, unescaped, CDATA sections taken raw; empty when it has child
    // elements, is empty (`<a/>`) or there is no current element.
    std::u16string GetElementText() const;
    // The value of the current element's attribute, unescaped; an attribute without a value gives its own
    // name; empty when absent or there is no current element.
    std::u16string GetAttribute(std::u16string_view name) const;

    // Inserts <name>escaped text</name> (or <name/> for an empty text) followed by CRLF after the current
    // element, or at the end of the parent's content when there is none; the new element becomes the current
    // one. The text is changed in place and the index shifted, so later additions do not parse again.
    bool AddElement(std::u16string_view name, std::u16string_view text = {});

    // The document's own counted conversions (the general ones are in formats/utf_conversion.h).
    // Utf8ToUtf16: with no output returns the number of UTF-16 units needed, with one fills it and returns
    // the number of bytes consumed. Invalid sequences (bad lead byte, missing continuation byte, overlong
    // form, surrogate or value above U+10FFFF) become one '?' each; a byte that breaks off a sequence is read
    // again as the start of the next character. A decoded 0 ends the conversion and is counted and stored. A
    // sequence cut off by the end of the input is dropped.
    static int Utf8ToUtf16(const char* bytes, int count, std::u16string* out = nullptr);
    // Utf16ToUtf8: converts the NUL-terminated text; a surrogate pair becomes one 4-byte character, an
    // unpaired surrogate '?'. With no output returns the number of bytes needed (without a NUL). With an
    // output of `out_size` bytes stops before the first character that does not fit entirely, appends a NUL
    // if room is left and returns the number of bytes written (without the NUL).
    static int Utf16ToUtf8(const char16_t* text, char* out = nullptr, int out_size = 0);

    // EscapeText replaces '<', '&' and '>' with entities (quotes are left alone). UnescapeText decodes &lt;
    // &amp; &gt; &apos; &quot; and character references &#nnn; / &#xhhh; whose ';' comes within 7 characters
    // of the '&' (stored as one unit, the low 16 bits; a value of 0 is not decoded); any other '&' stays
    // literal.
    static std::u16string EscapeText(std::u16string_view text);
    static std::u16string UnescapeText(std::u16string_view text);

    // Test hooks. CheckIndexForTesting walks the element index against the text and describes the first
    // inconsistency (empty when there is none). DescribeTreeForTesting lists every element in document order
    // as "start,length,start-tag length,end-tag length,depth[,u for unended];" so that an index kept up by
    // AddElement can be compared with the one a fresh parse builds.
    std::string CheckIndexForTesting() const;
    std::string DescribeTreeForTesting() const;

private:
    static constexpr uint32_t kFirstChild = 1u << 16;  // first child of its parent
    static constexpr uint32_t kUnended = 1u << 17;     // never closed: only its start tag
    static constexpr uint32_t kIllFormed = 1u << 18;   // on record 0: the document is not well-formed
    static constexpr uint32_t kMaxStartTagLength = (1u << 22) - 1;
    static constexpr uint32_t kMaxEndTagLength = (1u << 10) - 1;
    static constexpr uint32_t kMaxDepth = 0xFFFF;
    static constexpr size_t kMaxTextLength = 0x7FFFFFFF;
    static constexpr uint32_t kPageSize = 1u << 16;

    struct ElementRecord {
        int32_t start;         // offset of the element's '<'
        int32_t length;        // '<' to the end of its end tag (of its start tag when it has none)
        uint32_t tag_lengths;  // start-tag length in the low 22 bits, end-tag length in the high 10
        uint32_t level_flags;  // depth in the low 16 bits, flags above
        uint32_t parent;       // 0 for the root element
        uint32_t first_child;
        uint32_t next_sibling;
        uint32_t previous_sibling;  // for the first child: the last child
    };
    struct OpenElement {
        std::u16string_view name;
        int32_t start;
        uint32_t record;
    };

    static std::u16string_view UntilNul(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }
    ElementRecord& Record(uint32_t index) { return pages_[index >> 16][index & 0xFFFF]; }
    const ElementRecord& Record(uint32_t index) const { return pages_[index >> 16][index & 0xFFFF]; }
    static uint32_t StartTagLength(const ElementRecord& r) { return r.tag_lengths & 0x3FFFFF; }
    static uint32_t EndTagLength(const ElementRecord& r) { return r.tag_lengths >> 22; }
    static uint32_t Depth(const ElementRecord& r) { return r.level_flags & 0xFFFF; }
    static int64_t End(const ElementRecord& r) { return int64_t(r.start) + r.length; }

    // Index (xml_document.cpp).
    bool Parse(std::u16string file_note);
    uint32_t BuildTree(std::u16string& message);
    void ResetIndex(uint32_t capacity);
    void GrowIndex();
    uint32_t NewRecord();
    void AppendChild(uint32_t parent, uint32_t child);
    void CloseUnended(const std::vector<OpenElement>& open, size_t from, uint32_t into);
    void RecomputeDepths();
    std::u16string_view ElementName(const ElementRecord& r) const;
    std::u16string_view ElementTagName(const ElementRecord& r) const;
    uint32_t FindSibling(uint32_t first, std::u16string_view name) const;

    // Editing (xml_document_edit.cpp).
    int64_t SkipWhitespaceBeforeMarkup(int64_t position) const;
    void ShiftFollowing(uint32_t added, int32_t delta);
    void ShiftSubtree(uint32_t top, int32_t delta);

    std::u16string text_;
    std::u16string result_;
    uint32_t parent_ = 0;
    uint32_t current_ = 0;
    uint32_t child_ = 0;
    // Element records in pages of 65,536; only the last page may be partial, so growth copies at most it.
    std::vector<std::vector<ElementRecord>> pages_;
    uint32_t allocated_ = 0;
    uint32_t next_free_ = 1;
    // The text ends inside an unterminated node (`<!-- ...`): what is appended there becomes part of it.
    bool ends_inside_node_ = false;
};
