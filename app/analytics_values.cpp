#include "app/analytics_values.h"

#include "analytics/tracking_id.h"
#include "app/lang_mgr.h"
#include "formats/utf_conversion.h"
#include "system/identifiers.h"
#include "system/system_folders.h"

namespace {

// Leading decimal digits as a number, 0 when there are none.
int64_t LeadingNumber(const std::u16string& text) {
    int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9' || value > (INT64_MAX - 9) / 10) break;
        value = value * 10 + (c - u'0');
    }
    return value;
}

}  // namespace

analytics::CommonPropertyValues MakeAnalyticsValues(const ProductConfig& config,
                                                    const std::string& identifier,
                                                    const AnalyticsRunValues& run) {
    analytics::CommonPropertyValues values;
    values.identifier = identifier;
    values.privacy_postponed = config.PrivacyPost == u"1";
    if (!values.privacy_postponed) values.client_sign = Utf16ToUtf8(GetClientSign(config.ProductBrand));
    values.tracking_id = analytics::CurrentTrackingId();
    values.downloader_version = Utf16ToUtf8(GetModuleVersion());
    values.scene_code = Utf16ToUtf8(config.SceneCode);
    values.exe_name = Utf16ToUtf8(GetModuleFileName());
    values.clipboard_param = Utf16ToUtf8(config.ClipboardValue);
    values.product_id = LeadingNumber(config.ProductID);
    values.product_version = Utf16ToUtf8(run.server_product_version);
    values.channel = Utf16ToUtf8(config.Channel);
    values.brand = Utf16ToUtf8(config.ProductBrand);
    values.language_code = Utf16ToUtf8(LangMgr::GetLanguageCode(run.language_display_name));
    values.product_name =
        Utf16ToUtf8(run.server_product_name.empty() ? config.ProductName : run.server_product_name);
    return values;
}
