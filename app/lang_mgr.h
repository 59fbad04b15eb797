// The two "languages" of the program: the product language (chosen from a fixed table, preset from the
// user's locale, handed to the installer as a code) and the user-interface strings (one English document
// compiled in as resource "XML" 131, looked up by key).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct LanguageRow {
    std::u16string code;          // "ENG", "DEU", ...
    std::u16string display_name;  // "English", "Deutsch", ...
};

class LangMgr {
public:
    // Current language "English", then InitLangCode.
    LangMgr();

    // Presets the current language from the user's locale; logs both locale identifiers and the row found
    // ("-1" when none). False when the locale has no row.
    bool InitLangCode();

    // Loads the language document compiled into the executable, with every "Kelvarosoft" in its texts
    // replaced by `brand` when the brand is another word. False when the document is missing, empty, not
    // well-formed or has no `Lang` root.
    bool loadLangXML(const std::u16string& brand);
    // The same over a given document (UTF-8 bytes), for tests and for loadLangXML itself.
    bool LoadLangDocument(std::string_view utf8_document, const std::u16string& brand);

    // The text for `key`; when the key is missing or its text empty, the key itself (so that the window
    // shows something). GetTextOrEmpty gives the empty text instead. Both only read: safe from any thread
    // once the document is loaded.
    std::u16string GetText(std::u16string_view key) const;
    std::u16string GetTextOrEmpty(std::u16string_view key) const;

    const std::u16string& GetCurrentLanguage() const { return current_language_; }
    void SetCurrentLanguage(const std::u16string& display_name) { current_language_ = display_name; }

    // The language of this run when the window is built: a saved or inherited choice (`select_lang`, the run
    // configuration's SelectLang) wins over the locale; without one, the current language becomes the choice.
    void ApplySelectLang(std::u16string& select_lang);

    // The code of the first language whose display name equals `display_name` exactly; "ENG" when none does.
    static std::u16string GetLanguageCode(std::u16string_view display_name);

    // The 23 languages, in their fixed order.
    static const std::vector<LanguageRow>& GetLanguageTable();

    // The row of the locale table (0-74) for a locale identifier; -1 when it has none.
    static int FindLocaleRow(uint32_t locale_id);

private:
    std::u16string current_language_ = u"English";
    std::map<std::u16string, std::u16string, std::less<>> strings_;
};
