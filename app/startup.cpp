#include "app/startup.h"

#include <cerrno>
#include <cstdlib>

#include "app/ixo_mgr.h"
#include "app/lang_mgr.h"
#include "app/run_services.h"
#include "formats/utf_conversion.h"
#include "platform/error_box.h"
#include "platform/message_loop.h"
#include "platform/process_identity.h"
#include "platform/single_instance.h"
#include "system/shell_helpers.h"
#include "system/simple_log.h"

namespace {

constexpr int kStartFailed = -1;

void ShowStartError(bool fork_mode, const char* text) {
    if (!fork_mode) platform::ShowErrorBox("Error", text);
}

// A host window handle is a signed decimal 32-bit number; anything else leaves the host window at 0.
bool ParseWindowHandle(const std::u16string& text, WindowHandle& window) {
    std::string narrow = Utf16ToUtf8(text);
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(narrow.c_str(), &end, 10);
    if (end == narrow.c_str() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
        return false;
    }
    window = WindowHandle(value);
    return true;
}

void ApplyHostValues(const CommandLineMap& options, IxoMgr& manager) {
    manager.SetSelectLang(options.Get(u"HostLang"));
    manager.SetHostVersion(options.Get(u"HostVersion"));
    std::u16string host_window = options.Get(u"HostHwnd");
    if (host_window.empty()) return;
    WindowHandle window = 0;
    if (ParseWindowHandle(host_window, window)) {
        WriteLog(kLogInfo, "[INFO] set host hwnd=[%x].", unsigned(window));
        manager.SetHostWindow(window);
    } else {
        WriteLog(kLogWarn, "[WARN] ignore host hwnd=[%s], not a number.", Utf16ToUtf8(host_window).c_str());
    }
}

}  // namespace

int RunInstaller(const CommandLineMap& options) {
    const bool fork_mode = options.Get(u"OnlyForkInstallDependent") == u"1";
    InitLog(fork_mode ? u"kxForkIXO.log" : u"kxIXO.log");
    WriteLog(kLogInfo, "[INFO] start, fork=[%d].", fork_mode ? 1 : 0);

    if (!platform::IsAdministrator()) {
        WriteLog(kLogError, "[ERROR] You must be logged in as administrator when installing this program.");
        ShowStartError(fork_mode, "You must be logged in as administrator when installing this program.");
        return kStartFailed;
    }

    IxoMgr& manager = IxoMgr::Instance();
    manager.SetForkMode(fork_mode);
    ConnectRunServices(manager);

    if (!manager.LoadLocalXml()) {
        WriteLog(kLogError, "[ERROR] LoadLocalXml failed!");
        ShowStartError(fork_mode, "Load product xml error.");
        return kStartFailed;
    }
    manager.ReadRunConfig();
    if (fork_mode) ApplyHostValues(options, manager);

    LangMgr languages;
    if (!languages.loadLangXML(manager.GetProductConfig().ProductBrand)) {
        WriteLog(kLogError, "[ERROR] loadLangXML failed!");
        ShowStartError(fork_mode, "Load lang xml error.");
        return kStartFailed;
    }

    // The fork copy is started by a running normal-mode instance, so the two modes hold different names.
    std::string instance_name = Utf16ToUtf8(manager.GetProductConfig().ProductName) + "_ixo";
    if (fork_mode) instance_name += "_fork";
    platform::SingleInstanceLock instance;
    if (instance.Acquire(instance_name) != platform::SingleInstanceLock::Result::kAcquired) {
        WriteLog(kLogWarn, "[WARN] Already exist PreInstance.");
        if (!fork_mode) ActivateInstance(manager.GetProductConfig().ProductName);
        return kStartFailed;
    }

    StartRunAnalytics(manager, languages.GetCurrentLanguage());
    platform::MessageLoop loop;
    loop.QuitOnTerminationSignals();
    WriteLog(kLogInfo, "[INFO] MessageLoop");
    loop.Run();
    WriteLog(kLogInfo, "[INFO] MessageLoop end");
    CloseRunServices(manager);
    manager.StopDownloadEngine();

    instance.Release();
    WriteLog(kLogInfo, "[INFO] exit!");
    return 0;
}
