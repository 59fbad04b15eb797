// ixo-nfwchk: the .NET Framework checker that the installer carries (resource "EXE" 105) and runs, written
// out as NFWCHK.exe beside its configuration NFWCHK.exe.config (resource "XML" 109), when a product needs
// .NET Framework 2.0. Like a program of that framework, it can run when one of the runtimes that its
// configuration lists as supported is registered on the machine.
//
// Exit status: 0 a supported runtime is registered; 1 none is; 2 the configuration is missing or lists none.
// IXO_TEST_REGISTRY_ROOT, when set, keeps the registry store in that folder (as ixo-reg --root does).
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "system/dotnet_check.h"

namespace {

// The version attributes of the <supportedRuntime> elements.
std::vector<std::string> SupportedRuntimes(const std::string& config) {
    std::vector<std::string> runtimes;
    const std::string tag = "<supportedRuntime";
    const std::string attribute = "version=\"";
    for (size_t at = config.find(tag); at != std::string::npos; at = config.find(tag, at + 1)) {
        size_t end = config.find('>', at);
        size_t value = config.find(attribute, at);
        if (value == std::string::npos || value > end) continue;
        value += attribute.size();
        size_t close = config.find('"', value);
        if (close != std::string::npos) runtimes.push_back(config.substr(value, close - value));
    }
    return runtimes;
}

bool IsRuntimeRegistered(const std::string& runtime) {
    if (runtime.rfind("v2.", 0) == 0) return IsDotNet2Present();
    if (runtime.size() > 1 && runtime[0] == 'v')
        return IsDotNetVersionPresent(Utf8ToUtf16(runtime.substr(1)));
    return false;
}

}  // namespace

int main() {
    if (const char* root = std::getenv("IXO_TEST_REGISTRY_ROOT"); root && *root) {
        platform::SetRegistryRootForTesting(root);
    }
    std::optional<std::string> config = platform::ReadFile(platform::GetExecutablePath() + ".config");
    if (!config) return 2;
    std::vector<std::string> runtimes = SupportedRuntimes(*config);
    if (runtimes.empty()) return 2;
    for (const std::string& runtime : runtimes) {
        if (IsRuntimeRegistered(runtime)) return 0;
    }
    return 1;
}
