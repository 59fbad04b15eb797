#include "system/result_texts.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct TextCase {
    const char* table;
    std::function<std::string(int)> lookup;
    int code;
    std::string text;
};

TEST(ResultTextsTest, EachTableGivesItsTextsAndItsFallbacks) {
    const TextCase cases[] = {
        {"shell", ShellErrorText, 0, "The operating system is out of memory or resources."},
        {"shell", ShellErrorText, 1, "Unknown error"},
        {"shell", ShellErrorText, 2, "The specified file was not found."},
        {"shell", ShellErrorText, 31,
         "There is no application associated with the given file name extension."},
        {"shell", ShellErrorText, 32, "The dynamic-link library was not found."},
        {"shell", ShellErrorText, 33, ""},
        {"shell", ShellErrorText, 42, ""},
        {"shell", ShellErrorText, -5, "Unknown error"},
        {"installer", InstallerExitText, -1, "Installer failed to launch (process not created)."},
        {"installer", InstallerExitText, 0, ""},
        {"installer", InstallerExitText, 1, "Setup failed to initialize."},
        {"installer", InstallerExitText, 8,
         "The Preparing to Install stage determined that Setup cannot proceed with installation, and that "
         "the "
         "system needs to be restarted in order to correct the problem."},
        {"installer", InstallerExitText, 9, "Unknown error code."},
        {"download", DownloadResultText, 0, ""},
        {"download", DownloadResultText, 1, "Already downloaded"},
        {"download", DownloadResultText, 12, "File size error"},
        {"download", DownloadResultText, 13, "User canceled"},
        {"download", DownloadResultText, 22, "Timeout"},
        {"download", DownloadResultText, 23, "SSL verification failed"},
        {"download", DownloadResultText, 26, "Server closed connection"},
        {"download", DownloadResultText, 27, "Unknown error"},
        {"download", DownloadResultText, -1, "Unknown error"},
        {"transfer", TransferErrorText, 0, ""},
        {"transfer", TransferErrorText, 7, "Couldn't connect to server"},
        {"transfer", TransferErrorText, 28, "Timeout was reached"},
        {"transfer", TransferErrorText, 60, "SSL peer certificate or SSH remote key was not OK"},
        {"transfer", TransferErrorText, 93, "Unknown error"},
        {"transfer", TransferErrorText, -1, "Unknown error"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(c.lookup(c.code), c.text) << c.table << " " << c.code;
}

}  // namespace
