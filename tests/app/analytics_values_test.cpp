#include "app/analytics_values.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/support/temp_folder.h"

namespace {

class AnalyticsValuesTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetRegistryRootForTesting(folder_.Path() + "registry/"); }
    void TearDown() override { platform::SetRegistryRootForTesting(""); }

    static ProductConfig Config(const std::u16string& privacy_post) {
        ProductConfig config;
        config.ProductBrand = u"Kelvarosoft";
        config.ProductName = u"Mendrake";
        config.ProductID = u"14424";
        config.Channel = u"web";
        config.SceneCode = u"spring";
        config.ClipboardValue = u"kx-clip";
        config.PrivacyPost = privacy_post;
        return config;
    }

    // The signature stored for the brand, if any.
    static std::string StoredSignature() {
        platform::RegistryKey key;
        if (!key.Open(platform::RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\IXR",
                      platform::RegistryView::k32Bit))
            return std::string();
        return key.ReadString("ClientSign").value_or(std::string());
    }

    test_support::TempFolder folder_;
};

TEST_F(AnalyticsValuesTest, ConfigurationAndRunFillTheCommonValues) {
    analytics::CommonPropertyValues values =
        MakeAnalyticsValues(Config(u"0"), "UA-Ixo-Web", {u"Deutsch", u"3.2.1", u"Mendrake Pro"});
    EXPECT_EQ(values.identifier, "UA-Ixo-Web");
    EXPECT_FALSE(values.privacy_postponed);
    EXPECT_EQ(values.client_sign.size(), 39u) << values.client_sign;
    EXPECT_EQ(values.client_sign, StoredSignature());
    EXPECT_EQ(values.scene_code, "spring");
    EXPECT_EQ(values.clipboard_param, "kx-clip");
    EXPECT_EQ(values.product_id, 14424);
    EXPECT_EQ(values.product_version, "3.2.1");
    EXPECT_EQ(values.channel, "web");
    EXPECT_EQ(values.brand, "Kelvarosoft");
    EXPECT_EQ(values.language_code, "DEU");
    EXPECT_EQ(values.product_name, "Mendrake Pro");
    EXPECT_EQ(values.exe_name, "app_tests");
}

TEST_F(AnalyticsValuesTest, PostponedPrivacyMakesNoClientSignature) {
    analytics::CommonPropertyValues values =
        MakeAnalyticsValues(Config(u"1"), "UA-Ixo-Web", {u"Klingon", u"", u""});
    EXPECT_TRUE(values.privacy_postponed);
    EXPECT_EQ(values.client_sign, "");
    EXPECT_EQ(StoredSignature(), "");
    EXPECT_EQ(values.language_code, "ENG");
    EXPECT_EQ(values.product_name, "Mendrake");
}

}  // namespace
