#include "platform/registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::DeleteRegistryKey;
using platform::RegistryHive;
using platform::RegistryKey;
using platform::RegistryValueType;
using platform::RegistryView;
using test_support::TempFolder;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetRegistryRootForTesting(folder_.Path()); }
    void TearDown() override { platform::SetRegistryRootForTesting(""); }

    static RegistryKey MustCreate(RegistryHive hive, const std::string& path,
                                  RegistryView view = RegistryView::kDefault) {
        RegistryKey key;
        EXPECT_TRUE(key.Create(hive, path, view)) << path;
        return key;
    }

    TempFolder folder_;
};

TEST_F(RegistryTest, ValuesRoundTripWhateverTheyHold) {
    RegistryKey key = MustCreate(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\IXR");
    const std::pair<std::string, std::string> strings[] = {
        {"ClientSign", "{4b0c5f2e-0000-4000-8000-000000000000G}"},
        {"", "the default value"},
        {"Empty", ""},
        {"Quotes \"and\" 100%", "a \"quoted\" 50% %41 text"},
        {"Lines", "first\r\nsecond\n\tthird"},
        {"Path", "C:\\Program Files\\Kelvarosoft\\[x]=y"},
        {"Unicode \xE4\xB8\xAD", "Deutsch \xC3\xA4 \xF0\x9F\x98\x80"},
    };
    for (const auto& [name, text] : strings) ASSERT_TRUE(key.WriteString(name, text)) << name;
    ASSERT_TRUE(key.WriteDword("Zero", 0));
    ASSERT_TRUE(key.WriteDword("Max", 0xFFFFFFFFu));

    RegistryKey again;
    ASSERT_TRUE(again.Open(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\IXR"));
    for (const auto& [name, text] : strings) EXPECT_EQ(again.ReadString(name), text) << name;
    EXPECT_EQ(again.ReadDword("Zero"), 0u);
    EXPECT_EQ(again.ReadDword("Max"), 0xFFFFFFFFu);
    // A value of the other type is not read as this one.
    EXPECT_EQ(again.ReadString("Max"), std::nullopt);
    EXPECT_EQ(again.ReadDword("ClientSign"), std::nullopt);
    ASSERT_TRUE(again.ReadValue("Max").has_value());
    EXPECT_EQ(again.ReadValue("Max")->type, RegistryValueType::kDword);
    // Replacing keeps one value, of the new type.
    ASSERT_TRUE(again.WriteDword("ClientSign", 7));
    EXPECT_EQ(key.ReadDword("ClientSign"), 7u);
    EXPECT_EQ(key.ReadString("Missing"), std::nullopt);
}

TEST_F(RegistryTest, NamesIgnoreCaseButKeepTheirOwn) {
    RegistryKey key = MustCreate(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\IXR");
    ASSERT_TRUE(key.WriteString("ClientSign", "{a}"));
    RegistryKey other;
    ASSERT_TRUE(other.Open(RegistryHive::kLocalMachine, "SOFTWARE\\kelvarosoft\\ixr\\"));
    EXPECT_EQ(other.ReadString("CLIENTSIGN"), "{a}");
    ASSERT_TRUE(other.WriteString("clientsign", "{b}"));
    EXPECT_EQ(key.ReadString("ClientSign"), "{b}");
    // Creating with another case opens the existing key; listing shows the first spelling.
    MustCreate(RegistryHive::kLocalMachine, "software\\KELVAROSOFT\\Other");
    RegistryKey software;
    ASSERT_TRUE(software.Open(RegistryHive::kLocalMachine, "Software"));
    EXPECT_EQ(software.ListSubKeys(), std::vector<std::string>{"Kelvarosoft"});
}

TEST_F(RegistryTest, OpenFindsOnlyExistingKeysAndCreateMakesTheParentsToo) {
    RegistryKey key;
    EXPECT_FALSE(key.Open(RegistryHive::kCurrentUser, "Software\\Kelvarosoft"));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(key.WriteString("x", "y"));
    MustCreate(RegistryHive::kCurrentUser, "Software\\Kelvarosoft\\Kelvarosoft Relay Kit\\");
    for (const char* path :
         {"Software", "Software\\Kelvarosoft", "Software\\\\Kelvarosoft\\Kelvarosoft Relay Kit"})
        EXPECT_TRUE(key.Open(RegistryHive::kCurrentUser, path)) << path;
    EXPECT_EQ(key.Path(), "Software\\Kelvarosoft\\Kelvarosoft Relay Kit");
    // The hives are apart.
    EXPECT_FALSE(key.Open(RegistryHive::kLocalMachine, "Software"));
    // Control characters have no place in names.
    EXPECT_FALSE(key.Create(RegistryHive::kCurrentUser, "Software\\bad\nname"));
}

TEST_F(RegistryTest, MachineViewsAreApartAndWow6432NodeReachesThe32BitView) {
    MustCreate(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\Atelier", RegistryView::k64Bit)
        .WriteString("InstallName", "/opt/64/atelier");
    MustCreate(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\Atelier", RegistryView::k32Bit)
        .WriteString("InstallName", "/opt/32/atelier");

    struct ViewCase {
        RegistryView view;
        const char* path;
        std::string expected;
    };
    const ViewCase cases[] = {
        {RegistryView::k64Bit, "Software\\Kelvarosoft\\Atelier", "/opt/64/atelier"},
        {RegistryView::k32Bit, "Software\\Kelvarosoft\\Atelier", "/opt/32/atelier"},
        {RegistryView::kDefault, "Software\\Kelvarosoft\\Atelier", "/opt/32/atelier"},
        {RegistryView::k64Bit, "SOFTWARE\\WOW6432Node\\Kelvarosoft\\Atelier", "/opt/32/atelier"},
        {RegistryView::k32Bit, "Software\\Wow6432Node\\Kelvarosoft\\Atelier", "/opt/32/atelier"},
    };
    for (const ViewCase& c : cases) {
        RegistryKey key;
        ASSERT_TRUE(key.Open(RegistryHive::kLocalMachine, c.path, c.view)) << c.path << " " << int(c.view);
        EXPECT_EQ(key.ReadString("InstallName"), c.expected) << c.path << " " << int(c.view);
    }
    // The current user's hive has one view.
    MustCreate(RegistryHive::kCurrentUser, "Software\\K", RegistryView::k64Bit).WriteDword("n", 1);
    RegistryKey user;
    ASSERT_TRUE(user.Open(RegistryHive::kCurrentUser, "Software\\K", RegistryView::k32Bit));
    EXPECT_EQ(user.ReadDword("n"), 1u);
}

TEST_F(RegistryTest, SubKeysAreListedInAStableCaseInsensitiveOrder) {
    for (const char* name : {"beta", "Alpha", "gamma\\deep", "Gamma2", "alpha two", "_under"})
        MustCreate(RegistryHive::kLocalMachine, std::string("Software\\Uninstall\\") + name);
    RegistryKey key;
    ASSERT_TRUE(key.Open(RegistryHive::kLocalMachine, "Software\\Uninstall"));
    std::vector<std::string> expected = {"_under", "Alpha", "alpha two", "beta", "gamma", "Gamma2"};
    EXPECT_EQ(key.ListSubKeys(), expected);
    EXPECT_EQ(key.ListSubKeys(), expected);
    RegistryKey root;
    ASSERT_TRUE(root.Open(RegistryHive::kLocalMachine, ""));
    EXPECT_EQ(root.ListSubKeys(), std::vector<std::string>{"Software"});
}

TEST_F(RegistryTest, DeletingValuesAndKeyTrees) {
    RegistryKey key = MustCreate(RegistryHive::kLocalMachine, "Software\\Microsoft\\.NETFramework");
    ASSERT_TRUE(key.WriteDword("NoGuiFromShim", 1));
    EXPECT_TRUE(key.DeleteValue("noguifromshim"));
    EXPECT_EQ(key.ReadDword("NoGuiFromShim"), std::nullopt);
    EXPECT_FALSE(key.DeleteValue("NoGuiFromShim"));

    MustCreate(RegistryHive::kLocalMachine, "Software\\Microsoft\\.NETFramework\\v4\\Full")
        .WriteDword("Release", 1);
    MustCreate(RegistryHive::kLocalMachine, "Software\\Microsoft\\.NETFrameworkOther");
    EXPECT_TRUE(DeleteRegistryKey(RegistryHive::kLocalMachine, "software\\microsoft\\.netframework"));
    RegistryKey probe;
    EXPECT_FALSE(probe.Open(RegistryHive::kLocalMachine, "Software\\Microsoft\\.NETFramework\\v4"));
    EXPECT_TRUE(probe.Open(RegistryHive::kLocalMachine, "Software\\Microsoft\\.NETFrameworkOther"));
    // A key deleted under an open handle takes no more values.
    EXPECT_FALSE(key.WriteDword("NoGuiFromShim", 1));
    EXPECT_FALSE(DeleteRegistryKey(RegistryHive::kLocalMachine, "Software\\Microsoft\\.NETFramework"));
    EXPECT_FALSE(DeleteRegistryKey(RegistryHive::kLocalMachine, ""));
}

TEST_F(RegistryTest, ADamagedStoreIsNeitherReadNorOverwritten) {
    MustCreate(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\IXR").WriteString("ClientSign", "{a}");
    const std::string store = folder_.Path() + "hklm32.reg";
    std::string damaged = platform::ReadFile(store).value_or("") + "\"half a line";
    ASSERT_TRUE(platform::WriteFileAtomically(store, damaged));

    RegistryKey key;
    EXPECT_FALSE(key.Open(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\IXR"));
    EXPECT_FALSE(key.Create(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\New"));
    EXPECT_EQ(platform::ReadFile(store), damaged);
}

TEST_F(RegistryTest, ThreadsWritingAtOnceLoseNothing) {
    MustCreate(RegistryHive::kLocalMachine, "Software\\Busy");
    constexpr int kThreads = 4;
    constexpr int kWrites = 15;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            RegistryKey key;
            if (!key.Open(RegistryHive::kLocalMachine, "Software\\Busy")) return;
            for (int i = 0; i < kWrites; ++i)
                key.WriteDword("t" + std::to_string(t) + "-" + std::to_string(i), i);
        });
    }
    for (std::thread& thread : threads) thread.join();
    RegistryKey key;
    ASSERT_TRUE(key.Open(RegistryHive::kLocalMachine, "Software\\Busy"));
    int missing = 0;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kWrites; ++i) {
            if (key.ReadDword("t" + std::to_string(t) + "-" + std::to_string(i)) != uint32_t(i)) ++missing;
        }
    }
    EXPECT_EQ(missing, 0);
}

}  // namespace
