#include "tests/fuzz/xml_document_fuzz_case.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "formats/utf_conversion.h"
#include "formats/xml_document.h"

namespace {

// Returns from the enclosing function with a description when the condition fails.
#define FUZZ_CHECK(condition, detail)                                                               \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            return "line " + std::to_string(__LINE__) + ": " #condition "\n" + std::string(detail); \
        }                                                                                           \
    } while (0)

#define FUZZ_PASS_ON(call)                                    \
    do {                                                      \
        std::string failure_of_call = call;                   \
        if (!failure_of_call.empty()) return failure_of_call; \
    } while (0)

std::u16string UntilNul(const std::u16string& text) {
    return text.substr(0, text.find(u'\0'));
}

std::u16string Slice(const std::u16string& text, size_t from, size_t length) {
    return from < text.size() ? text.substr(from, length) : std::u16string();
}

size_t CountElements(const CXmlDocument& document) {
    const std::string tree = document.DescribeTreeForTesting();
    return size_t(std::count(tree.begin(), tree.end(), ';'));
}

// Depth-first walk with the cursor alone: every element is visited once.
std::string WalkWithTheCursor(CXmlDocument& document, const std::u16string& probe_name) {
    const size_t elements = CountElements(document);
    size_t visited = 0;
    size_t budget = 4 * elements + 8;
    document.ResetPosition();
    while (budget--) {
        if (document.FindElement()) {
            ++visited;
            document.GetElementText();
            document.GetAttribute(u"a");
            document.GetAttribute(u"id");
            document.GetAttribute(probe_name);
            document.ResetChildPosition();
            while (document.FindChildElement(probe_name)) {
            }
            document.ResetChildPosition();  // so that entering starts before the first child
            FUZZ_CHECK(document.EnterElement(), "");
        } else if (!document.LeaveElement()) {
            break;
        }
    }
    FUZZ_CHECK(visited == elements, std::to_string(visited) + " of " + std::to_string(elements) + " in\n" +
                                        ::Utf16ToUtf8(document.GetDocumentText()) + "\n--- " +
                                        document.DescribeTreeForTesting());
    return "";
}

std::string CheckConversions(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const int count = int(size);
    const int units = CXmlDocument::Utf8ToUtf16(bytes, count);
    std::u16string converted;
    const int consumed = CXmlDocument::Utf8ToUtf16(bytes, count, &converted);
    FUZZ_CHECK(int(converted.size()) == units, "count pass and conversion pass differ");
    FUZZ_CHECK(consumed >= 0 && consumed <= count, "");
    // Well-formed UTF-8 without a NUL decodes as the general conversion does.
    const std::string_view view(bytes, size);
    const std::u16string general = ::Utf8ToUtf16(view);
    if (view.find('\0') == std::string_view::npos && general.find(u'\uFFFD') == std::u16string::npos) {
        FUZZ_CHECK(general == converted, "differs from the general conversion");
        FUZZ_CHECK(consumed == count, "well-formed input not consumed whole");
    }

    // Back to UTF-8 into a buffer of a size the input chooses: never beyond it, NUL only when room is left.
    const std::u16string text = UntilNul(converted);
    const int needed = CXmlDocument::Utf16ToUtf8(text.c_str());
    const int room = size ? int(data[0]) % (needed + 2) : 0;
    std::vector<char> full(size_t(needed) + 1, '#');
    FUZZ_CHECK(CXmlDocument::Utf16ToUtf8(text.c_str(), full.data(), needed + 1) == needed, "");
    FUZZ_CHECK(full[size_t(needed)] == 0, "no NUL after a full conversion");
    // Exactly `room` bytes on the heap (never null, even for 0), so the sanitizer sees any write past them.
    std::unique_ptr<char[]> part(new char[size_t(room)]);
    const int written = CXmlDocument::Utf16ToUtf8(text.c_str(), part.get(), room);
    FUZZ_CHECK(written <= room && written <= needed, std::to_string(written) + " into " + std::to_string(room));
    FUZZ_CHECK(std::equal(part.get(), part.get() + written, full.begin()), "partial is not a prefix");
    if (written < room) FUZZ_CHECK(part[size_t(written)] == 0, "no NUL after a partial conversion");
    return "";
}

}  // namespace

std::string CheckXmlDocumentFuzzCase(const uint8_t* data, size_t size) {
    if (size == 0) return "";
    const uint8_t mode = data[0];
    std::u16string text;
    if (mode & 1) {
        for (size_t i = 1; i + 1 < size; i += 2) text += char16_t(data[i] | (data[i + 1] << 8));
    } else {
        FUZZ_PASS_ON(CheckConversions(data + 1, size - 1));
        CXmlDocument::Utf8ToUtf16(reinterpret_cast<const char*>(data + 1), int(size - 1), &text);
    }

    CXmlDocument document;
    const bool well_formed = document.SetDocumentText(text);
    FUZZ_CHECK(well_formed == document.GetResultText().empty(), ::Utf16ToUtf8(document.GetResultText()));
    FUZZ_CHECK(document.GetDocumentText() == UntilNul(text), "");
    FUZZ_CHECK(document.CheckIndexForTesting().empty(), document.CheckIndexForTesting());
    const std::u16string probe_name = Slice(document.GetDocumentText(), size_t(mode) % 7, 1 + mode % 3);
    FUZZ_PASS_ON(WalkWithTheCursor(document, probe_name));

    const std::u16string escaped_probe = Slice(text, size_t(mode) % 5, 24);
    FUZZ_CHECK(CXmlDocument::UnescapeText(CXmlDocument::EscapeText(escaped_probe)) == UntilNul(escaped_probe),
               "escape round trip");
    CXmlDocument::UnescapeText(text);

    // Cursor moves and additions scripted by the last bytes of the input.
    static const std::u16string kNames[] = {u"a", u"item", u"x:y", u"\u00E9l", u"", u"1", u"a b", u"q"};
    document.ResetPosition();
    const size_t steps = std::min<size_t>(size, 24);
    for (size_t k = 0; k < steps; ++k) {
        const uint8_t op = data[size - 1 - k];
        switch (op % 8) {
            case 0:
                document.FindElement();
                break;
            case 1:
                document.FindElement(probe_name);
                break;
            case 2:
                document.EnterElement();
                break;
            case 3:
                document.LeaveElement();
                break;
            case 4:
                document.FindChildElement();
                break;
            case 5:
                document.ResetChildPosition();
                break;
            default: {
                const std::u16string& name = kNames[(op >> 3) % 8];
                const std::u16string value = UntilNul(Slice(text, op % 11, (op >> 4) % 9));
                if (!document.AddElement(name, value)) break;
                FUZZ_CHECK(document.CheckIndexForTesting().empty(), document.CheckIndexForTesting());
                FUZZ_CHECK(document.GetElementText() == value, "an added value does not read back");
                break;
            }
        }
    }
    FUZZ_CHECK(document.CheckIndexForTesting().empty(), document.CheckIndexForTesting());
    // The index kept up by the additions is the one a fresh parse of the new text builds.
    CXmlDocument fresh(document.GetDocumentText());
    FUZZ_CHECK(fresh.DescribeTreeForTesting() == document.DescribeTreeForTesting(),
               ::Utf16ToUtf8(UntilNul(text)) + "\n--- became\n" + ::Utf16ToUtf8(document.GetDocumentText()) +
                   "\n--- kept  " + document.DescribeTreeForTesting() + "\n--- fresh " +
                   fresh.DescribeTreeForTesting());
    FUZZ_PASS_ON(WalkWithTheCursor(document, probe_name));
    return "";
}
