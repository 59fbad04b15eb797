#include "system/identifiers.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <set>
#include <string>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::RegistryHive;
using platform::RegistryKey;
using platform::RegistryView;
using test_support::TempFolder;

const std::regex kUuid("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
const std::regex kSign("\\{[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}G\\}");

TEST(NewUuidTest, LaysOutTwoGeneratorNumbersNibbleByNibble) {
    // From state (1, 2) the generator gives 0x800025 and then 0x2040083: bytes 25 00 80 00 .. and 83 00 04 02
    // .. read low nibble first.
    SetRandomStateForTesting(1, 2);
    EXPECT_EQ(NewUuid(), "52000800-0000-4000-8380-040200000000");
    // An unseeded generator gives only zeros: every 'x' is 0 and the 'y' is 8.
    SetRandomStateForTesting(0, 0);
    EXPECT_EQ(NewUuid(), "00000000-0000-4000-8000-000000000000");
}

TEST(NewUuidTest, SeededUuidsAreVersion4Variant1AndDistinct) {
    ASSERT_TRUE(SeedRandom());
    std::set<std::string> seen;
    for (int i = 0; i < 500; ++i) {
        std::string uuid = NewUuid();
        ASSERT_TRUE(std::regex_match(uuid, kUuid)) << uuid;
        EXPECT_EQ(uuid[14], '4');  // position 15 counting from 1
        EXPECT_NE(std::string("89ab").find(uuid[19]), std::string::npos) << uuid;
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 500u);
}

class ClientSignTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetRegistryRootForTesting(folder_.Path()); }
    void TearDown() override { platform::SetRegistryRootForTesting(""); }

    static void Put(RegistryHive hive, const std::string& path, const std::string& sign) {
        RegistryKey key;
        ASSERT_TRUE(key.Create(hive, path, RegistryView::k32Bit));
        ASSERT_TRUE(key.WriteString("ClientSign", sign));
    }
    static std::optional<std::string> Get(RegistryHive hive, const std::string& path,
                                          RegistryView view = RegistryView::k32Bit) {
        RegistryKey key;
        if (!key.Open(hive, path, view)) return std::nullopt;
        return key.ReadString("ClientSign");
    }

    static constexpr char kRelay[] = "Software\\Kelvarosoft\\Kelvarosoft Relay Kit";
    static constexpr char kIxr[] = "Software\\Kelvarosoft\\IXR";
    TempFolder folder_;
};

struct SignCase {
    const char* what;
    std::optional<std::string> user, machine_relay, machine_ixr;  // stored before the call
    std::optional<std::string> result;                            // nullopt: a new signature
};

TEST_F(ClientSignTest, TakesTheFirstReadableKeyInOrderAndStoresNewSignsInBothMachineKeys) {
    const std::string too_long = "{" + std::string(58, 'z') + "}";
    const SignCase cases[] = {
        {"user key first", "{user}", "{relay}", "{ixr}", "{user}"},
        {"machine relay key next", std::nullopt, "{relay}", "{ixr}", "{relay}"},
        {"IXR key last", std::nullopt, std::nullopt, "{ixr}", "{ixr}"},
        {"nothing stored", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {"an empty value does not end the search", "", std::nullopt, "{ixr}", "{ixr}"},
        {"empty values everywhere", "", "", "", std::nullopt},
        {"a value too long to read is passed over", too_long, "{relay}", std::nullopt, "{relay}"},
    };
    for (const SignCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        platform::SetRegistryRootForTesting(root.Path());
        if (c.user) Put(RegistryHive::kCurrentUser, kRelay, *c.user);
        if (c.machine_relay) Put(RegistryHive::kLocalMachine, kRelay, *c.machine_relay);
        if (c.machine_ixr) Put(RegistryHive::kLocalMachine, kIxr, *c.machine_ixr);

        std::string sign = Utf16ToUtf8(GetClientSign(u"Kelvarosoft"));

        if (c.result) {
            EXPECT_EQ(sign, *c.result);
            // Found signatures are not copied anywhere.
            EXPECT_EQ(Get(RegistryHive::kCurrentUser, kRelay), c.user);
            EXPECT_EQ(Get(RegistryHive::kLocalMachine, kRelay), c.machine_relay);
            EXPECT_EQ(Get(RegistryHive::kLocalMachine, kIxr), c.machine_ixr);
        } else {
            EXPECT_TRUE(std::regex_match(sign, kSign)) << sign;
            EXPECT_EQ(Get(RegistryHive::kLocalMachine, kRelay), sign);
            EXPECT_EQ(Get(RegistryHive::kLocalMachine, kIxr), sign);
            EXPECT_EQ(Get(RegistryHive::kLocalMachine, kIxr, RegistryView::k64Bit), std::nullopt);
            EXPECT_EQ(Get(RegistryHive::kCurrentUser, kRelay), c.user);
        }
        // Once stored, the same signature comes back on every call.
        EXPECT_EQ(Utf16ToUtf8(GetClientSign(u"Kelvarosoft")), sign);
    }
}

TEST_F(ClientSignTest, SignUnderTheCurrentUserIsReturnedWithoutWritingTheMachineStore) {
    Put(RegistryHive::kCurrentUser, kRelay, "{mine}");
    EXPECT_EQ(GetClientSign(u"Kelvarosoft"), u"{mine}");
    EXPECT_FALSE(platform::FileExists(folder_.Path() + "hklm32.reg"));
    EXPECT_FALSE(platform::FileExists(folder_.Path() + "hklm64.reg"));
}

TEST_F(ClientSignTest, NewSignServesTheRunWhenTheStoreCannotBeWritten) {
    // A file where the store's folder should be: nothing can be created or written.
    std::string blocker = folder_.Write("blocker", "");
    platform::SetRegistryRootForTesting(blocker + "/registry");
    std::string first = Utf16ToUtf8(GetClientSign(u"Kelvarosoft"));
    std::string second = Utf16ToUtf8(GetClientSign(u"Kelvarosoft"));
    EXPECT_TRUE(std::regex_match(first, kSign)) << first;
    EXPECT_TRUE(std::regex_match(second, kSign)) << second;
    EXPECT_NE(first, second);
}

}  // namespace
