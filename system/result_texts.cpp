#include "system/result_texts.h"

#include <curl/curl.h>

namespace {

constexpr const char* kUnknownError = "Unknown error";

}  // namespace

std::string ShellErrorText(int code) {
    if (code > 32) return {};
    switch (code) {
        case 0:
            return "The operating system is out of memory or resources.";
        case 2:
            return "The specified file was not found.";
        case 3:
            return "The specified path was not found.";
        case 5:
            return "Access denied.";
        case 8:
            return "There was not enough memory to complete the operation.";
        case 26:
            return "A sharing violation occurred.";
        case 27:
            return "File association information is incomplete or invalid.";
        case 28:
            return "The DDE transaction could not be completed because the request timed out.";
        case 29:
            return "The DDE transaction failed.";
        case 30:
            return "The DDE transaction could not be completed because other DDE transactions were being "
                   "processed.";
        case 31:
            return "There is no application associated with the given file name extension.";
        case 32:
            return "The dynamic-link library was not found.";
        default:
            return kUnknownError;
    }
}

std::string InstallerExitText(int code) {
    if (code < 0) return "Installer failed to launch (process not created).";
    switch (code) {
        case 0:
            return {};
        case 1:
            return "Setup failed to initialize.";
        case 2:
            return "The user clicked Cancel in the wizard before the actual installation started, or chose "
                   "\"No\" on the opening \"This will install...\" message box.";
        case 3:
            return "A fatal error occurred while preparing to move to the next installation phase.";
        case 4:
            return "A fatal error occurred during the actual installation process.";
        case 5:
            return "The user clicked Cancel during the actual installation process, or chose Abort at an "
                   "Abort-Retry-Ignore box.";
        case 6:
            return "The Setup process was forcefully terminated by the debugger.";
        case 7:
            return "The Preparing to Install stage determined that Setup cannot proceed with installation.";
        case 8:
            return "The Preparing to Install stage determined that Setup cannot proceed with installation, "
                   "and "
                   "that the system needs to be restarted in order to correct the problem.";
        default:
            return "Unknown error code.";
    }
}

std::string DownloadResultText(int code) {
    // Indexed by result code; the codes are stable and never renumbered.
    static const char* const kTexts[] = {
        "",
        "Already downloaded",
        "Connection failed",
        "Receive failed",
        "Send failed",
        "Get site information failed",
        "Download task allocation failed",
        "Buffer error",
        "Parameter error",
        "File operation failed",
        "Insufficient disk space",
        "MD5 verification failed",
        "File size error",
        "User canceled",
        "Download failed",
        "Unknown error",
        "End event error",
        "Save path error",
        "PID error",
        "URL error",
        "URL parsing error",
        "Thread creation error",
        "Timeout",
        "SSL verification failed",
        "DNS resolve failed",
        "Too many redirects",
        "Server closed connection",
    };
    constexpr int kCount = int(sizeof kTexts / sizeof kTexts[0]);
    if (code < 0 || code >= kCount) return kUnknownError;
    return kTexts[code];
}

std::string TransferErrorText(int code) {
    if (code == 0) return {};
    // The range of codes the program was built against; later codes are not told apart.
    if (code < 1 || code > 92) return kUnknownError;
    return curl_easy_strerror(static_cast<CURLcode>(code));
}
