#include "app/ixo_mgr.h"

#include "formats/utf_conversion.h"
#include "platform/resources.h"
#include "system/simple_log.h"

namespace {

constexpr int kProductConfigResource = 106;
constexpr int kLanguageResource = 131;

// The text of a simple child element of the document's root, or empty. Enough for the two names that start-up
// needs until the full configuration reader replaces it.
std::u16string FindElementText(std::string_view document, std::string_view name) {
    std::string open = "<" + std::string(name) + ">";
    std::string close = "</" + std::string(name) + ">";
    size_t begin = document.find(open);
    if (begin == std::string_view::npos) return {};
    begin += open.size();
    size_t end = document.find(close, begin);
    if (end == std::string_view::npos) return {};
    return Utf8ToUtf16(document.substr(begin, end - begin));
}

}  // namespace

IxoMgr& IxoMgr::Instance() {
    static IxoMgr instance;
    return instance;
}

bool IxoMgr::LoadLocalXml() {
    std::optional<std::string_view> document = platform::FindResource("XML", kProductConfigResource);
    if (!document || document->empty()) return false;
    product_config_.ProductBrand = FindElementText(*document, "ProductBrand");
    product_config_.ProductName = FindElementText(*document, "ProductName");
    return true;
}

void IxoMgr::ReadRunConfig() {}

void IxoMgr::SetSelectLang(const std::u16string& display_name) {
    if (display_name.empty()) return;
    run_config_.SelectLang = display_name;
    WriteLog(kLogInfo, "[INFO] set select lang=[%s].", Utf16ToUtf8(display_name).c_str());
}

bool IxoMgr::LoadLangXml(const std::u16string& /*brand*/) {
    std::optional<std::string_view> document = platform::FindResource("XML", kLanguageResource);
    return document && !document->empty();
}
