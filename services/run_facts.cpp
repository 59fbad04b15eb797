#include "services/run_facts.h"

#include "formats/utf_conversion.h"
#include "platform/local_time.h"
#include "platform/locale_id.h"
#include "platform/machine.h"
#include "platform/screen.h"
#include "system/installed_products.h"
#include "system/system_folders.h"
#include "system/version_text.h"

RunFacts ReadRunFacts() {
    RunFacts facts;
    facts.file_version = ExecutableFileVersion();
    facts.file_name = Utf16ToUtf8(GetModuleFileName());
    facts.os_version = Utf16ToUtf8(GetOsVersionText());
    facts.os_64bit = platform::IsSystem64Bit();
    facts.browser_version = Utf16ToUtf8(GetIeVersion());
    facts.timezone_bias_minutes = platform::GetTimeZoneBiasMinutes();
    facts.system_lcid = platform::GetSystemDefaultLocaleId();
    const platform::ScreenSize screen = platform::GetPrimaryScreenSize();
    facts.screen_width = screen.width;
    facts.screen_height = screen.height;
    return facts;
}

std::string ExecutableFileVersion() {
    const std::string version = Utf16ToUtf8(GetModuleVersion());
    return version.empty() ? "0.0.0.0" : version;
}
