#include "app/lang_mgr.h"

#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "formats/xml_document.h"
#include "platform/file_system.h"
#include "tests/support/log_capture.h"
#include "tests/support/scoped_environment.h"

namespace {

std::string ShippedDocument() {
    return platform::ReadFile(IXO_SOURCE_DIR "/resources/languages.xml").value_or("");
}

class LangMgrTest : public ::testing::Test {
protected:
    void SetUp() override { environment_.Unset("LC_ALL").Unset("LC_MESSAGES").Set("LANG", "C.UTF-8"); }
    ScopedEnvironment environment_;
};

TEST_F(LangMgrTest, UserLocalePresetsTheLanguageAndLogsItsRow) {
    struct Case {
        const char* lang;
        const char16_t* language;
        const char* row_line;
        const char* user_line;
    };
    const Case cases[] = {
        {"de_AT.UTF-8", u"Deutsch", "[INFO] InitLangCode set: 6\n",
         "[INFO] InitLangCode GetUserDefaultLCID: 3079\n"},
        {"en_US.UTF-8", u"English", "[INFO] InitLangCode set: -1\n",
         "[INFO] InitLangCode GetUserDefaultLCID: 1033\n"},
        {"th_TH.UTF-8", u"ไทย", "[INFO] InitLangCode set: 74\n",
         "[INFO] InitLangCode GetUserDefaultLCID: 1054\n"},
        {"fr_CA.UTF-8", u"Français", "[INFO] InitLangCode set: 1\n",
         "[INFO] InitLangCode GetUserDefaultLCID: 3084\n"},
    };
    for (const Case& test : cases) {
        environment_.Set("LANG", test.lang);
        test_support::LogCapture capture;
        LangMgr languages;
        EXPECT_EQ(languages.GetCurrentLanguage(), test.language) << test.lang;
        std::string log = capture.NewText();
        EXPECT_NE(log.find("[INFO] InitLangCode SystemDefaultLCID: "), std::string::npos) << log;
        EXPECT_NE(log.find(test.user_line), std::string::npos) << log;
        EXPECT_NE(log.find(test.row_line), std::string::npos) << log;
    }
}

TEST_F(LangMgrTest, SavedChoiceWinsOverTheLocale) {
    environment_.Set("LANG", "fr_FR.UTF-8");
    LangMgr languages;
    ASSERT_EQ(languages.GetCurrentLanguage(), u"Français");
    std::u16string saved = u"Deutsch";
    languages.ApplySelectLang(saved);
    EXPECT_EQ(languages.GetCurrentLanguage(), u"Deutsch");
    EXPECT_EQ(LangMgr::GetLanguageCode(languages.GetCurrentLanguage()), u"DEU");

    std::u16string none;
    LangMgr fresh;
    fresh.ApplySelectLang(none);
    EXPECT_EQ(none, u"Français");  // the locale's language becomes the choice
    EXPECT_EQ(fresh.GetCurrentLanguage(), u"Français");
}

TEST_F(LangMgrTest, CodesMatchDisplayNamesExactly) {
    struct Case {
        const char16_t* name;
        const char16_t* code;
    };
    const Case cases[] = {
        {u"English", u"ENG"}, {u"Deutsch", u"DEU"}, {u"Dutch", u"NLD"},
        {u"Pусский", u"RUS"}, {u"Русский", u"ENG"},  // written with the Cyrillic letter: not in the table
        {u"deutsch", u"ENG"}, {u"", u"ENG"},        {u"Bahasa Indonesia", u"INA"},
        {u"ไทย", u"THA"},     {u"हिन्दी", u"INDHI"},
    };
    for (const Case& test : cases)
        EXPECT_EQ(LangMgr::GetLanguageCode(test.name), test.code) << Utf16ToUtf8(test.name);
    EXPECT_EQ(LangMgr::GetLanguageTable().front().code, u"ENG");
    EXPECT_EQ(LangMgr::GetLanguageTable().back().code, u"THA");
    EXPECT_EQ(LangMgr::FindLocaleRow(0x0C07), 6);
    EXPECT_EQ(LangMgr::FindLocaleRow(0x0409), -1);
    EXPECT_EQ(LangMgr::FindLocaleRow(0x001D), LangMgr::FindLocaleRow(0x041D) - 1);
}

TEST_F(LangMgrTest, BrandWordIsReplacedUnlessItIsTheMakersOwn) {
    struct Case {
        const char16_t* brand;
        const char16_t* tip;
    };
    const Case cases[] = {
        {u"Kelvarosoft", u"I have read and agree to the Kelvarosoft"},
        {u"KELVAROSOFT", u"I have read and agree to the Kelvarosoft"},
        {u"Acme", u"I have read and agree to the Acme"},
        {u"", u"I have read and agree to the Kelvarosoft"},  // no brand names no one
    };
    for (const Case& test : cases) {
        LangMgr languages;
        ASSERT_TRUE(languages.LoadLangDocument(ShippedDocument(), test.brand));
        EXPECT_EQ(languages.GetText(u"main_privacy_tip"), test.tip) << Utf16ToUtf8(test.brand);
    }
    LangMgr acme;
    ASSERT_TRUE(acme.LoadLangDocument(
        "<Lang><item name=\"x\">Kelvarosoft and Kelvarosoft, not kelvarosoft</item></Lang>",
        u"AcmeKelvarosoft"));
    EXPECT_EQ(acme.GetText(u"x"), u"AcmeKelvarosoft and AcmeKelvarosoft, not kelvarosoft");
}

TEST_F(LangMgrTest, LookupsOfMissingAndEmptyTexts) {
    LangMgr languages;
    ASSERT_TRUE(languages.LoadLangDocument(
        "<?xml version=\"1.0\"?>\n<Lang>\n<item name=\"a\">first</item>\n<item name=\"empty\"/>\n"
        "<item>no name</item>\n<item name=\"a\">second</item>\n<other name=\"b\">ignored</other>\n</Lang>",
        u"Kelvarosoft"));
    EXPECT_EQ(languages.GetText(u"a"), u"second");  // a later item replaces an earlier one
    EXPECT_EQ(languages.GetText(u"Btn_Unknown"), u"Btn_Unknown");
    EXPECT_EQ(languages.GetTextOrEmpty(u"Btn_Unknown"), u"");
    EXPECT_EQ(languages.GetText(u"empty"), u"empty");
    EXPECT_EQ(languages.GetTextOrEmpty(u"empty"), u"");
    EXPECT_EQ(languages.GetText(u""), u"no name");
    EXPECT_EQ(languages.GetText(u"b"), u"b");
}

TEST_F(LangMgrTest, UnusableDocumentsAreRefused) {
    struct Case {
        const char* document;
        bool loaded;
    };
    const Case cases[] = {
        {"", false},
        {"<Lang><item name=\"a\">x</item>", false},  // not well-formed
        {"<Strings><item name=\"a\">x</item></Strings>", false},
        {"<Lang></Lang>", true},
        {"<Lang/>", true},
    };
    for (const Case& test : cases) {
        LangMgr languages;
        EXPECT_EQ(languages.LoadLangDocument(test.document, u"Kelvarosoft"), test.loaded) << test.document;
    }
}

// The document compiled into the program: its 90 keys in their order and the texts the window relies on.
TEST_F(LangMgrTest, ShippedDocumentHoldsEveryKeyInOrder) {
    const char16_t* const kKeys[] = {
        u"errmsg_md5",
        u"errmsg_disk",
        u"errmsg_connect",
        u"errmsg_downfailed",
        u"errmsg_install",
        u"errmsg_pathnoexist",
        u"tipmsg_installed",
        u"tipmsg_licenseaccept",
        u"tipmsg_close",
        u"tipmsg_close2",
        u"tipmsg_webdown",
        u"TrayMenuTxt",
        u"TrayIconTip1",
        u"TrayIconTip2",
        u"TrayIconTip3",
        u"SelectFolderTip",
        u"Btn_Install",
        u"Btn_Run",
        u"Btn_Privacy",
        u"Btn_License",
        u"Btn_Modify",
        u"Lbl_InstallFolder",
        u"Lbl_JoinUserExp",
        u"Btn_Minimal",
        u"Btn_Close",
        u"Lbl_ProgressTip",
        u"Lbl_selectlang",
        u"Lbl_offlineInstaller",
        u"Lbl_CheckWarn",
        u"Lbl_Check",
        u"Lbl_Install_Ahb",
        u"tipmsg_adminpath",
        u"install_wizard",
        u"install_failed",
        u"if_install_failed_tip",
        u"check_network",
        u"check_disk",
        u"retry",
        u"download_pkg",
        u"report_contact_tip",
        u"contact_tip",
        u"remark_tip",
        u"get_help",
        u"send_error_report",
        u"reported_tip",
        u"information",
        u"error",
        u"warning",
        u"ok",
        u"cancel",
        u"install_error",
        u"not_enough_disk_space",
        u"change_install_location",
        u"downloading_tip",
        u"installing_tip",
        u"agree_by_download",
        u"confirm_stop_download?",
        u"cannot_stop_install",
        u"cannot_set_installation_path",
        u"yes",
        u"no",
        u"clean_disk",
        u"change_dir_or_clean_disk",
        u"unavailable_dir_tip",
        u"product_is_running_tip",
        u"wait_for_time_tip",
        u"continue_to_install",
        u"give_up",
        u"not_support_x86",
        u"please_input_email",
        u"please_input_correct_email",
        u"email_long_than_50",
        u"email_address",
        u"redeem_tip",
        u"redeem_tip_not_again",
        u"redeem_tip_fail",
        u"new_download_time_tip",
        u"new_install_time_tip",
        u"privacy_wnd_title",
        u"privacy_wnd_tip",
        u"privacy_wnd_privacy",
        u"privacy_wnd_and",
        u"privacy_wnd_eula",
        u"privacy_wnd_agree_install",
        u"privacy_wnd_not_agree",
        u"main_privacy_tip",
        u"privacy_wnd_tip_tail",
        u"main_privacy_tip_tail",
        u"privacy_spaceinfo",
        u"privacy_spaceinfo_empty",
    };
    static_assert(std::size(kKeys) == 90);
    CXmlDocument document;
    ASSERT_TRUE(document.SetDocumentText(Utf8ToUtf16(ShippedDocument())));
    document.ResetPosition();
    ASSERT_TRUE(document.FindElement(u"Lang"));
    document.EnterElement();
    std::vector<std::u16string> keys;
    while (document.FindElement(u"item")) keys.push_back(document.GetAttribute(u"name"));
    EXPECT_EQ(keys, std::vector<std::u16string>(std::begin(kKeys), std::end(kKeys)));

    LangMgr languages;
    ASSERT_TRUE(languages.LoadLangDocument(ShippedDocument(), u"Kelvarosoft"));
    const std::pair<const char16_t*, const char16_t*> kTexts[] = {
        {u"TrayIconTip2", u"%s is still installing,%d%s finished."},
        {u"Lbl_ProgressTip", u"Installing…Click \"Hide\" to minimize the program (%d%s finished.)"},
        {u"Lbl_Install_Ahb", u"{f 1}{c #7a7b7f}Agree to install Kelvarosoft Atelier Hub{/c}{/f}"},
        {u"wait_for_time_tip", u"(It is expected to wait for %02dm %02ds.)"},
        {u"new_download_time_tip", u"Downloading (Time remaining:  %02d:%02d:%02d)"},
        {u"new_install_time_tip", u"Installing (Time remaining:  %02d:%02d:%02d)"},
        {u"privacy_spaceinfo_empty", u"Disc Space required: %s, avaliable: {f 2}{c #ff0000}%s{/c}{/f}"},
        {u"email_long_than_50", u"E-mail length should be less than 50 characters."},
    };
    for (auto [key, text] : kTexts) EXPECT_EQ(languages.GetText(key), text) << Utf16ToUtf8(key);
    EXPECT_EQ(languages.GetTextOrEmpty(u"privacy_wnd_tip_tail"), u"");
    EXPECT_EQ(languages.GetTextOrEmpty(u"main_privacy_tip_tail"), u"");
}

}  // namespace
