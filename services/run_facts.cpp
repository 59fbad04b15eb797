#include "services/run_facts.h"

#include "platform/local_time.h"
#include "platform/paths.h"
#include "platform/screen.h"

RunFacts ReadRunFacts() {
    RunFacts facts;
    facts.file_version = ExecutableFileVersion();
    const std::string path = platform::GetExecutablePath();
    facts.file_name = path.substr(path.rfind('/') + 1);
    facts.timezone_bias_minutes = platform::GetTimeZoneBiasMinutes();
    const platform::ScreenSize screen = platform::GetPrimaryScreenSize();
    facts.screen_width = screen.width;
    facts.screen_height = screen.height;
    return facts;
}

std::string ExecutableFileVersion() { return "0.0.0.0"; }
