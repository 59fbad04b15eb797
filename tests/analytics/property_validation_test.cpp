#include "analytics/property_validation.h"

#include <gtest/gtest.h>

#include "analytics/diagnostics.h"
#include "analytics/properties.h"

namespace {

using analytics::CProperties;
using analytics::CValueNode;

// Collects the diagnostic lines of one test.
class DiagnosticsCapture {
public:
    DiagnosticsCapture() {
        analytics::SetDiagnosticSinkForTesting([this](const std::string& line) { lines_.push_back(line); });
    }
    ~DiagnosticsCapture() { analytics::SetDiagnosticSinkForTesting(nullptr); }
    std::vector<std::string> Take() { return std::exchange(lines_, {}); }

private:
    std::vector<std::string> lines_;
};

TEST(PropertyValidationTest, NamesAreOneToHundredBytesOfAVariableName) {
    DiagnosticsCapture diagnostics;
    const std::string kTooLong = "The Event Name is empty or too long, max length is 100";
    const std::string kNotAName = "The Event Name need to be a valid variable name.";
    struct Case {
        std::string name;
        std::string diagnostic;  // empty: the name passes
    } cases[] = {
        {"downloader_pop", ""},
        {"$lib2", ""},
        {"_a1b2", ""},
        {"$", ""},
        {std::string(100, 'a'), ""},
        {"", kTooLong},
        {std::string(101, 'a'), kTooLong},
        {"1st_event", kNotAName},
        {"pop-name", kNotAName},
        {"pop name", kNotAName},
        {"caf\xC3\xA9", kNotAName},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(analytics::CheckName(c.name, "Event Name"), c.diagnostic.empty()) << c.name;
        std::vector<std::string> lines = diagnostics.Take();
        if (c.diagnostic.empty()) {
            EXPECT_TRUE(lines.empty()) << c.name;
        } else {
            EXPECT_EQ(lines, std::vector<std::string>{c.diagnostic}) << c.name;
        }
    }
}

TEST(PropertyValidationTest, EventPropertiesNeedValidKeysAndTypedTimeAndProject) {
    DiagnosticsCapture diagnostics;
    CProperties good;
    good.SetDateTime("$time", 1700000000, 5);
    good.SetString("$project", "p");
    good.SetInteger("count_2", 2);
    EXPECT_TRUE(analytics::CheckEventProperties(good.Node()));

    CProperties bad_key;
    bad_key.SetInteger("9lives", 1);
    EXPECT_FALSE(analytics::CheckEventProperties(bad_key.Node()));
    EXPECT_EQ(diagnostics.Take(),
              std::vector<std::string>{"The Property Key need to be a valid variable name."});

    CProperties string_time;
    string_time.SetString("$time", "2023-11-14");
    EXPECT_FALSE(analytics::CheckEventProperties(string_time.Node()));
    EXPECT_EQ(diagnostics.Take(), std::vector<std::string>{"The property '$time' should be DateTime type."});

    CProperties integer_project;
    integer_project.SetInteger("$project", 3);
    EXPECT_FALSE(analytics::CheckEventProperties(integer_project.Node()));
    EXPECT_EQ(diagnostics.Take(), std::vector<std::string>{"The property '$project' should be String type."});
}

TEST(PropertyValidationTest, DistinctIdIsOneTo255Bytes) {
    DiagnosticsCapture diagnostics;
    EXPECT_TRUE(analytics::CheckDistinctId(std::string(255, 'd')));
    EXPECT_FALSE(analytics::CheckDistinctId(""));
    EXPECT_FALSE(analytics::CheckDistinctId(std::string(256, 'd')));
    EXPECT_EQ(diagnostics.Take(),
              (std::vector<std::string>{"The Distinct ID is empty.",
                                        "The Distinct ID is too long, max length is 255."}));
}

TEST(PropertyValidationTest, StringValuesMustBeShortValidUtf8Text) {
    struct Case {
        const char* name;
        std::string value;
        bool valid;
    } cases[] = {
        {"8192 bytes", std::string(8192, 'v'), true},
        {"tab, LF and CR", "a\tb\nc\rd", true},
        {"two-byte character", "caf\xC3\xA9", true},
        {"three-byte character", "\xE2\x82\xAC", true},
        {"four-byte character, the last code point", "\xF4\x8F\xBF\xBF", true},
        {"8193 bytes", std::string(8193, 'v'), false},
        {"byte 0x01", std::string("a\x01", 2), false},
        {"NUL", std::string("a\0b", 3), false},
        {"DEL", "a\x7F", false},
        {"lone continuation byte", "a\x80", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three-byte form", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"truncated sequence", "\xE2\x82", false},
        {"lead byte F5", "\xF5\x80\x80\x80", false},
    };
    DiagnosticsCapture diagnostics;
    for (const Case& c : cases) {
        EXPECT_EQ(analytics::CheckStringValue("key", c.value), c.valid) << c.name;
        EXPECT_EQ(diagnostics.Take().size(), c.valid ? 0u : 1u) << c.name;
    }
}

TEST(PropertyValidationTest, RejectedStringValuesAreNamedInTheirDiagnostic) {
    DiagnosticsCapture diagnostics;
    CProperties properties;
    EXPECT_FALSE(properties.SetString("long", std::string(8193, 'x')));
    EXPECT_FALSE(properties.SetString("ctl", "a\x01"));
    EXPECT_EQ(diagnostics.Take(), (std::vector<std::string>{
                                      "String property 'long' is too long, value: " + std::string(8193, 'x'),
                                      "String property 'ctl' is not valid UTF-8 string, value: a\x01"}));
    EXPECT_EQ(properties.Node().ToJson(), "{}");
}

}  // namespace
