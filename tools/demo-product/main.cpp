// ixo-demo-setup: the installer of the demo product, served as a package in demos and tests. It takes the
// switches that the orchestrator hands to product installers and does what such an installer does, quickly:
//
//   /VERYSILENT /NOPAGE /LANG=<code> /LOG="<file>" /installpath:"<folder>" /DIR="<folder>" /IXOWIN=<hex>
//   /PID=<id> [/SCENE_CODE=<code>] [/POP_PRIVACY] [/TOKEN_PRODUCTINSTALL_ARG=<arg>] [/NOTRUN]
//   [/HOSTINFOPATH="<file>"] [anything else is kept as an extra argument]
//
// With a /DIR folder <parent><brand>/<name>/ it writes the demo product there (a small program "demo-product"
// and "install.txt" with the switches it was given), registers it in the registry store (the install
// registration under Software\<brand>\<name> and an uninstall entry, both with the PID and this program's
// version stamp) and reports its progress 0, 25, 50, 75 and 100 to the window /IXOWIN with message 1135. It
// writes its lines to the /LOG file when one is given.
//
// Exit status: 0, or the number N when the program's file name contains "-exit<N>" (tests serve copies named
// so to make an installer fail); 1 when the product could not be written or registered.
// IXO_TEST_REGISTRY_ROOT, when set, keeps the registry store in that folder (as ixo-reg --root does), so that
// a test's installer never touches the machine's store.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/version_stamp.h"
#include "platform/window_messages.h"

namespace {

constexpr uint32_t kInstallProgressMessage = 1135;
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct Switches {
    std::string language;
    std::string log;
    std::string install_path;
    std::string dir;
    int32_t window = 0;
    std::string pid;
    std::string scene_code;
    bool pop_privacy = false;
    std::string token;
    bool no_run = false;
    std::string host_info;
    std::vector<std::string> extra;
};

bool TakeValue(const std::string& argument, const std::string& name, std::string& value) {
    if (argument.size() < name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(argument[i])) !=
            std::toupper(static_cast<unsigned char>(name[i])))
            return false;
    }
    value = argument.substr(name.size());
    return true;
}

Switches ParseSwitches(int argc, char* argv[]) {
    Switches switches;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        std::string value;
        if (TakeValue(argument, "/VERYSILENT", value) && value.empty()) continue;
        if (TakeValue(argument, "/NOPAGE", value) && value.empty()) continue;
        if (TakeValue(argument, "/POP_PRIVACY", value) && value.empty()) {
            switches.pop_privacy = true;
        } else if (TakeValue(argument, "/NOTRUN", value) && value.empty()) {
            switches.no_run = true;
        } else if (TakeValue(argument, "/LANG=", value)) {
            switches.language = value;
        } else if (TakeValue(argument, "/LOG=", value)) {
            switches.log = value;
        } else if (TakeValue(argument, "/installpath:", value)) {
            // Dependents get the folder as the next argument ("/installpath: "<folder>"").
            if (value.empty() && i + 1 < argc) value = argv[++i];
            switches.install_path = value;
        } else if (TakeValue(argument, "/DIR=", value)) {
            switches.dir = value;
        } else if (TakeValue(argument, "/IXOWIN=", value)) {
            switches.window = int32_t(std::strtoul(value.c_str(), nullptr, 16));
        } else if (TakeValue(argument, "/PID=", value)) {
            switches.pid = value;
        } else if (TakeValue(argument, "/SCENE_CODE=", value)) {
            switches.scene_code = value;
        } else if (TakeValue(argument, "/TOKEN_PRODUCTINSTALL_ARG=", value)) {
            switches.token = value;
        } else if (TakeValue(argument, "/HOSTINFOPATH=", value)) {
            switches.host_info = value;
        } else {
            switches.extra.push_back(argument);
        }
    }
    return switches;
}

// The N of "-exit<N>" in the program's file name; 0 when there is none.
int ChosenExitCode(const std::string& program) {
    std::string name = program.substr(program.find_last_of('/') + 1);
    size_t at = name.find("-exit");
    if (at == std::string::npos) return 0;
    return std::atoi(name.c_str() + at + 5);
}

class InstallLog {
public:
    explicit InstallLog(const std::string& path)
        : file_(path.empty() ? nullptr : std::fopen(path.c_str(), "w")) {}
    ~InstallLog() {
        if (file_) std::fclose(file_);
    }
    void Line(const std::string& text) {
        if (!file_) return;
        std::fprintf(file_, "%s\n", text.c_str());
        std::fflush(file_);
    }

private:
    FILE* file_;
};

void ReportProgress(int32_t window, int percent, InstallLog& log) {
    if (window == 0) return;
    if (!platform::PostWindowMessage(window, kInstallProgressMessage, percent, 0)) {
        log.Line("progress " + std::to_string(percent) + " not taken by the window");
    }
}

std::string VersionText() {
    std::optional<platform::FileVersion> version = platform::ReadVersionStamp(platform::GetExecutablePath());
    if (!version) return "";
    return std::to_string((*version)[0]) + "." + std::to_string((*version)[1]) + "." +
           std::to_string((*version)[2]) + "." + std::to_string((*version)[3]);
}

// "<parent><brand>/<name>/" -> brand and name.
bool SplitInstallFolder(const std::string& dir, std::string& brand, std::string& name) {
    std::string folder = dir;
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    size_t name_at = folder.find_last_of('/');
    if (name_at == std::string::npos || name_at == 0) return false;
    name = folder.substr(name_at + 1);
    size_t brand_at = folder.find_last_of('/', name_at - 1);
    if (brand_at == std::string::npos) return false;
    brand = folder.substr(brand_at + 1, name_at - brand_at - 1);
    return !brand.empty() && !name.empty();
}

bool WriteProduct(const std::string& dir, const Switches& switches, int argc, char* argv[]) {
    if (!platform::CreateFolderWithParents(dir)) return false;
    std::string program = "#!/bin/sh\necho \"demo product $*\"\n";
    std::string record;
    for (int i = 1; i < argc; ++i) record += std::string(argv[i]) + "\n";
    record += "pid=" + switches.pid + "\nlang=" + switches.language + "\n";
    std::string exe = dir + "demo-product";
    return platform::WriteFileAtomically(exe, program) &&
           platform::WriteFileAtomically(dir + "install.txt", record) && platform::MakeExecutable(exe);
}

bool Register(const std::string& dir, const std::string& brand, const std::string& name,
              const Switches& switches, const std::string& version) {
    uint32_t pid = uint32_t(std::strtoul(switches.pid.c_str(), nullptr, 10));
    platform::RegistryKey product;
    if (!product.Create(platform::RegistryHive::kLocalMachine, "Software\\" + brand + "\\" + name))
        return false;
    bool written = product.WriteDword("PID", pid) && product.WriteString("InstallInfo", "1") &&
                   product.WriteString("Version", version) &&
                   product.WriteString("InstallName", dir + "demo-product") &&
                   product.WriteString("InstallPath", dir);
    platform::RegistryKey uninstall;
    if (!uninstall.Create(platform::RegistryHive::kLocalMachine, kUninstallKey + brand + " " + name,
                          platform::RegistryView::k64Bit)) {
        return false;
    }
    return written && uninstall.WriteString("PID", switches.pid) &&
           uninstall.WriteString("Version", version) && uninstall.WriteString("DisplayName", name) &&
           uninstall.WriteString("InstallLocation", dir);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const char* root = std::getenv("IXO_TEST_REGISTRY_ROOT"); root && *root) {
        platform::SetRegistryRootForTesting(root);
    }
    Switches switches = ParseSwitches(argc, argv);
    InstallLog log(switches.log);
    std::string version = VersionText();
    log.Line("demo setup " + version + " pid=" + switches.pid + " lang=" + switches.language);
    ReportProgress(switches.window, 0, log);

    int exit_code = ChosenExitCode(platform::GetExecutablePath());
    if (exit_code != 0) {
        log.Line("failing with the chosen exit code " + std::to_string(exit_code));
        return exit_code;
    }

    if (!switches.dir.empty()) {
        std::string dir = switches.dir.back() == '/' ? switches.dir : switches.dir + "/";
        ReportProgress(switches.window, 25, log);
        if (!WriteProduct(dir, switches, argc, argv)) {
            log.Line("cannot write the product into " + dir);
            return 1;
        }
        ReportProgress(switches.window, 50, log);
        std::string brand, name;
        if (SplitInstallFolder(dir, brand, name)) {
            if (!Register(dir, brand, name, switches, version)) {
                log.Line("cannot register the product");
                return 1;
            }
            log.Line("registered " + brand + "\\" + name);
        }
        ReportProgress(switches.window, 75, log);
        log.Line("installed into " + dir);
    }
    ReportProgress(switches.window, 100, log);
    log.Line("done");
    return 0;
}
