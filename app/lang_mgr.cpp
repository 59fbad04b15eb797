#include "app/lang_mgr.h"

#include "formats/utf_conversion.h"
#include "formats/xml_document.h"
#include "platform/locale_id.h"
#include "platform/resources.h"
#include "system/simple_log.h"

namespace {

constexpr int kLanguageResource = 131;
constexpr char16_t kMakerBrand[] = u"Kelvarosoft";

struct LocaleRow {
    uint32_t locale_id;
    const char16_t* display_name;
};

// Locale identifier to display name; only used to preset the current language. There is no English row:
// every locale not listed keeps "English".
// clang-format off
constexpr LocaleRow kLocaleRows[] = {
    {0x080C, u"Français"}, {0x0C0C, u"Français"}, {0x040C, u"Français"}, {0x140C, u"Français"},
    {0x180C, u"Français"}, {0x100C, u"Français"},
    {0x0C07, u"Deutsch"}, {0x0407, u"Deutsch"}, {0x1407, u"Deutsch"}, {0x1007, u"Deutsch"}, {0x0807, u"Deutsch"},
    {0x0411, u"日本語"},
    {0x0416, u"Português"}, {0x0816, u"Português"},
    {0x2C0A, u"Español"}, {0x400A, u"Español"}, {0x340A, u"Español"}, {0x240A, u"Español"},
    {0x140A, u"Español"}, {0x1C0A, u"Español"}, {0x300A, u"Español"}, {0x440A, u"Español"},
    {0x100A, u"Español"}, {0x480A, u"Español"}, {0x080A, u"Español"}, {0x4C0A, u"Español"},
    {0x180A, u"Español"}, {0x3C0A, u"Español"}, {0x280A, u"Español"}, {0x500A, u"Español"},
    {0x040A, u"Español"}, {0x0C0A, u"Español"}, {0x380A, u"Español"}, {0x200A, u"Español"},
    {0x0410, u"Italiano"}, {0x0810, u"Italiano"},
    {0x0404, u"中文繁體"}, {0x0C04, u"中文繁體"},
    {0x0804, u"中文简体"}, {0x1004, u"中文简体"},
    {0x0419, u"Pусский"}, {0x0819, u"Pусский"},  // the first letter is the Latin P
    {0x0413, u"Dutch"}, {0x0813, u"Dutch"},
    {0x0412, u"한국어"},
    {0x0421, u"Bahasa Indonesia"},
    {0x001D, u"Svenska"}, {0x041D, u"Svenska"}, {0x081D, u"Svenska"},
    {0x3801, u"العربية"}, {0x3C01, u"العربية"}, {0x1401, u"العربية"}, {0x0C01, u"العربية"},
    {0x0801, u"العربية"}, {0x2C01, u"العربية"}, {0x3401, u"العربية"}, {0x3001, u"العربية"},
    {0x1001, u"العربية"}, {0x1801, u"العربية"}, {0x2001, u"العربية"}, {0x4001, u"العربية"},
    {0x0401, u"العربية"}, {0x2801, u"العربية"}, {0x1C01, u"العربية"}, {0x2401, u"العربية"},
    {0x004E, u"मराठी"}, {0x044E, u"मराठी"},
    {0x004A, u"తెలుగు"}, {0x044A, u"తెలుగు"},
    {0x0049, u"தமிழ்"}, {0x0449, u"தமிழ்"},
    {0x0445, u"বাংলা"},
    {0x0039, u"हिन्दी"}, {0x0439, u"हिन्दी"},
    {0x041E, u"ไทย"},
};
// clang-format on
static_assert(std::size(kLocaleRows) == 75);

std::u16string AsciiLower(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower) c = c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
    return lower;
}

std::u16string ReplaceAll(std::u16string text, std::u16string_view from, std::u16string_view to) {
    for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace

LangMgr::LangMgr() {
    InitLangCode();
}

bool LangMgr::InitLangCode() {
    WriteLog(kLogInfo, "[INFO] InitLangCode SystemDefaultLCID: %d",
             int(platform::GetSystemDefaultLocaleId()));
    uint32_t user_locale = platform::GetUserDefaultLocaleId();
    WriteLog(kLogInfo, "[INFO] InitLangCode GetUserDefaultLCID: %d", int(user_locale));
    int row = FindLocaleRow(user_locale);
    if (row >= 0) current_language_ = kLocaleRows[row].display_name;
    WriteLog(kLogInfo, "[INFO] InitLangCode set: %d", row);
    return row >= 0;
}

bool LangMgr::loadLangXML(const std::u16string& brand) {
    WriteLog(kLogInfo, "[INFO] loadLangXML");
    std::optional<std::string_view> document = platform::FindResource("XML", kLanguageResource);
    if (!document) return false;
    return LoadLangDocument(*document, brand);
}

bool LangMgr::LoadLangDocument(std::string_view utf8_document, const std::u16string& brand) {
    if (utf8_document.empty()) return false;
    CXmlDocument document;
    if (!document.SetDocumentText(Utf8ToUtf16(utf8_document))) return false;
    document.ResetPosition();
    if (!document.FindElement(u"Lang")) return false;
    // An empty brand would erase the maker's word from the texts instead of naming anyone.
    bool replace = !brand.empty() && AsciiLower(brand) != AsciiLower(kMakerBrand);
    document.EnterElement();
    while (document.FindElement(u"item")) {
        std::u16string text = document.GetElementText();
        if (replace) text = ReplaceAll(std::move(text), kMakerBrand, brand);
        strings_.insert_or_assign(document.GetAttribute(u"name"), std::move(text));
    }
    document.LeaveElement();
    return true;
}

std::u16string LangMgr::GetText(std::u16string_view key) const {
    std::u16string text = GetTextOrEmpty(key);
    return text.empty() ? std::u16string(key) : text;
}

std::u16string LangMgr::GetTextOrEmpty(std::u16string_view key) const {
    auto found = strings_.find(key);
    return found == strings_.end() ? std::u16string() : found->second;
}

void LangMgr::ApplySelectLang(std::u16string& select_lang) {
    if (select_lang.empty()) select_lang = current_language_;
    current_language_ = select_lang;
}

std::u16string LangMgr::GetLanguageCode(std::u16string_view display_name) {
    for (const LanguageRow& row : GetLanguageTable()) {
        if (row.display_name == display_name) return row.code;
    }
    return u"ENG";
}

const std::vector<LanguageRow>& LangMgr::GetLanguageTable() {
    static const std::vector<LanguageRow> table = {
        {u"ENG", u"English"},   {u"DEU", u"Deutsch"},          {u"FRA", u"Français"}, {u"ITA", u"Italiano"},
        {u"PTG", u"Português"}, {u"ESP", u"Español"},          {u"NLD", u"Dutch"},    {u"RUS", u"Pусский"},
        {u"JPN", u"日本語"},    {u"CHA", u"中文繁體"},         {u"CHS", u"中文简体"}, {u"ARA", u"العربية"},
        {u"KOR", u"한국어"},    {u"INA", u"Bahasa Indonesia"}, {u"SWE", u"Svenska"},  {u"INDTE", u"తెలుగు"},
        {u"INDTA", u"தமிழ்"},    {u"INDHI", u"हिन्दी"},          {u"INDBN", u"বাংলা"},  {u"INDMR", u"मराठी"},
        {u"THA", u"ไทย"},
    };
    return table;
}

int LangMgr::FindLocaleRow(uint32_t locale_id) {
    for (size_t row = 0; row < std::size(kLocaleRows); ++row) {
        if (kLocaleRows[row].locale_id == locale_id) return int(row);
    }
    return -1;
}
