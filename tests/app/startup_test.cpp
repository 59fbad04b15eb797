// Start-up as a user meets it: the real executable run in a child process with its own temporary and runtime
// folders, judged by its exit status, its log and what it printed in place of an error box.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace {

using test_support::ChildProcess;

const std::string kInstaller = std::string(IXO_BINARY_DIR) + "/bin/ixo-setup";
const std::string kWithoutProduct = std::string(IXO_BINARY_DIR) + "/tests/ixo-setup-without-product";
const std::string kWithoutLanguages = std::string(IXO_BINARY_DIR) + "/tests/ixo-setup-without-languages";
const char kAdminLine[] = "[ERROR] You must be logged in as administrator when installing this program.";

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.Path().empty());
        ASSERT_EQ(mkdir(RuntimeFolder().c_str(), 0777), 0);
        // The folders must be usable by the unprivileged user that the administrator tests switch to.
        chmod(folder_.Path().c_str(), 0777);
        chmod(RuntimeFolder().c_str(), 0777);
    }

    std::string RuntimeFolder() const { return folder_.Path() + "run"; }
    std::string LogPath(const char* name) const { return folder_.Path() + "Kelvarosoft/IXO/" + name; }
    std::string Log(const char* name) const { return platform::ReadFile(LogPath(name)).value_or(""); }

    // Between the cases of a table, so that a wait for a line cannot be answered by an earlier run's log.
    void ForgetLogs() { std::filesystem::remove_all(folder_.Path() + "Kelvarosoft"); }

    std::unique_ptr<ChildProcess> Start(const std::string& program, std::vector<std::string> options,
                                        bool as_unprivileged_user = false) {
        std::vector<std::string> argv;
        if (as_unprivileged_user && geteuid() == 0) {
            argv = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        }
        argv.push_back(program);
        argv.insert(argv.end(), options.begin(), options.end());
        return std::make_unique<ChildProcess>(
            argv, std::vector<std::string>{"TMPDIR=" + folder_.Path(), "XDG_RUNTIME_DIR=" + RuntimeFolder()},
            std::vector<std::string>{"DISPLAY", "WAYLAND_DISPLAY"});
    }

    // Waits until the log holds `text`.
    bool LogShows(const char* name, const std::string& text) {
        return test_support::WaitUntil([&] { return Log(name).find(text) != std::string::npos; });
    }

    void RequireRoot() {
        if (geteuid() != 0) GTEST_SKIP() << "needs root: the installer refuses to start without it";
    }

    test_support::TempFolder folder_;
};

TEST_F(StartupTest, NonAdministratorEndsWith255AndTheAdministratorError) {
    if (geteuid() == 0 && access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv is missing";
    struct Case {
        std::vector<std::string> options;
        const char* log;
        const char* box;  // what stands in for the error box; empty in fork mode
    } cases[] = {
        {{}, "kxIXO.log", "Error: You must be logged in as administrator when installing this program.\n"},
        {{"OnlyForkInstallDependent=1"}, "kxForkIXO.log", ""},
        {{"OnlyForkInstallDependent=01"}, "kxIXO.log",
         "Error: You must be logged in as administrator when installing this program.\n"},
    };
    for (const Case& c : cases) {
        ForgetLogs();
        std::unique_ptr<ChildProcess> installer = Start(kInstaller, c.options, true);
        EXPECT_EQ(installer->Wait(), 255);
        EXPECT_EQ(installer->Output(), c.box);
        std::string log = Log(c.log);
        bool fork = std::string(c.log) == "kxForkIXO.log";
        EXPECT_NE(log.find(fork ? "[INFO] start, fork=[1]." : "[INFO] start, fork=[0]."), std::string::npos) << log;
        EXPECT_NE(log.find(kAdminLine), std::string::npos) << log;
    }
}

TEST_F(StartupTest, AdministratorCheckComesBeforeTheProductConfiguration) {
    if (geteuid() == 0 && access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv is missing";
    std::unique_ptr<ChildProcess> installer = Start(kWithoutProduct, {}, true);
    EXPECT_EQ(installer->Wait(), 255);
    std::string log = Log("kxIXO.log");
    EXPECT_NE(log.find(kAdminLine), std::string::npos) << log;
    EXPECT_EQ(log.find("LoadLocalXml"), std::string::npos) << log;
}

TEST_F(StartupTest, MissingDocumentEndsTheStartWithItsOwnError) {
    RequireRoot();
    struct Case {
        const std::string& program;
        std::vector<std::string> options;
        const char* log;
        const char* line;
        const char* box;
    } cases[] = {
        {kWithoutProduct, {}, "kxIXO.log", "[ERROR] LoadLocalXml failed!", "Error: Load product xml error.\n"},
        {kWithoutLanguages, {}, "kxIXO.log", "[ERROR] loadLangXML failed!", "Error: Load lang xml error.\n"},
        {kWithoutProduct, {"OnlyForkInstallDependent=1"}, "kxForkIXO.log", "[ERROR] LoadLocalXml failed!", ""},
        {kWithoutLanguages, {"OnlyForkInstallDependent=1"}, "kxForkIXO.log", "[ERROR] loadLangXML failed!", ""},
    };
    for (const Case& c : cases) {
        ForgetLogs();
        std::unique_ptr<ChildProcess> installer = Start(c.program, c.options);
        EXPECT_EQ(installer->Wait(), 255) << c.line;
        EXPECT_EQ(installer->Output(), c.box);
        EXPECT_NE(Log(c.log).find(c.line), std::string::npos) << Log(c.log);
    }
}

// One instance per product and mode: a second normal start and a second fork start are refused, while a fork
// copy runs beside the normal one. A quit request ends a running instance with status 0.
TEST_F(StartupTest, OneInstancePerModeAndQuitEndsCleanly) {
    RequireRoot();
    std::unique_ptr<ChildProcess> first = Start(kInstaller, {});
    ASSERT_TRUE(LogShows("kxIXO.log", "[INFO] MessageLoop\n"));

    std::unique_ptr<ChildProcess> second = Start(kInstaller, {});
    EXPECT_EQ(second->Wait(), 255);
    EXPECT_TRUE(LogShows("kxIXO.log", "[WARN] Already exist PreInstance."));
    EXPECT_EQ(second->Output(), "");  // no box for this one: the first window is brought forward instead

    std::unique_ptr<ChildProcess> fork_copy = Start(kInstaller, {"OnlyForkInstallDependent=1"});
    ASSERT_TRUE(LogShows("kxForkIXO.log", "[INFO] MessageLoop\n"));
    std::unique_ptr<ChildProcess> second_fork = Start(kInstaller, {"OnlyForkInstallDependent=1"});
    EXPECT_EQ(second_fork->Wait(), 255);
    EXPECT_TRUE(LogShows("kxForkIXO.log", "[WARN] Already exist PreInstance."));

    for (ChildProcess* running : {first.get(), fork_copy.get()}) {
        running->Signal(SIGTERM);
        EXPECT_EQ(running->Wait(), 0);
    }
    for (const char* log : {"kxIXO.log", "kxForkIXO.log"}) {
        EXPECT_NE(Log(log).find("[INFO] MessageLoop end"), std::string::npos) << Log(log);
        EXPECT_NE(Log(log).find("[INFO] exit!"), std::string::npos) << Log(log);
    }
}

TEST_F(StartupTest, HostValuesApplyInForkModeOnly) {
    RequireRoot();
    struct Case {
        std::vector<std::string> options;
        const char* log;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    } cases[] = {
        {{"OnlyForkInstallDependent=1", "HostLang=Deutsch", "HostHwnd=500", "HostVersion=5.1.0.3"},
         "kxForkIXO.log",
         {"[INFO] set select lang=[Deutsch].", "[INFO] set host hwnd=[1f4]."},
         {}},
        {{"OnlyForkInstallDependent=1", "HostHwnd=12abc"}, "kxForkIXO.log", {"[INFO] MessageLoop"}, {"set host hwnd"}},
        {{"OnlyForkInstallDependent=1", "HostHwnd=99999999999"}, "kxForkIXO.log", {"[INFO] MessageLoop"},
         {"set host hwnd"}},
        {{"OnlyForkInstallDependent=1", "HostHwnd="}, "kxForkIXO.log", {"[INFO] MessageLoop"}, {"hwnd"}},
        {{"HostLang=Deutsch", "HostHwnd=500"}, "kxIXO.log", {"[INFO] MessageLoop"}, {"set select lang", "hwnd"}},
    };
    for (const Case& c : cases) {
        ForgetLogs();
        std::unique_ptr<ChildProcess> installer = Start(kInstaller, c.options);
        ASSERT_TRUE(LogShows(c.log, "[INFO] MessageLoop\n")) << Log(c.log);
        installer->Signal(SIGTERM);
        EXPECT_EQ(installer->Wait(), 0);
        std::string log = Log(c.log);
        for (const std::string& line : c.present) EXPECT_NE(log.find(line), std::string::npos) << line << log;
        for (const std::string& text : c.absent) EXPECT_EQ(log.find(text), std::string::npos) << text << log;
    }
}

}  // namespace
