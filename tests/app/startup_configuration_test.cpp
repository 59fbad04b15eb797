// Start-up with the real loaders: the installer run as a user starts it, judged by its log, its exit status,
// the registry it leaves, the messages it sends to a running instance and what the maker's services (maker-sim
// at the addresses compiled into the installer) receive from it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <regex>

#include "platform/file_system.h"
#include "platform/single_instance.h"
#include "platform/window_endpoint.h"
#include "tests/support/child_process.h"
#include "tests/support/maker_sim_client.h"
#include "tests/support/run_command.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"
#include "tools/maker-sim/profile_ports.h"

namespace {

using test_support::ChildProcess;

const std::string kInstaller = IXO_BINARY_DIR "/bin/ixo-setup";
const std::string kBrokenProduct = IXO_BINARY_DIR "/tests/ixo-setup-with-broken-product";

class StartupConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root: the installer refuses to start without it";
        runtime_ = folder_.Path() + "run/";
        ASSERT_TRUE(platform::CreateFolderWithParents(runtime_));
        // This process meets the installer's windows and instance locks in the same runtime folder.
        environment_.Set("XDG_RUNTIME_DIR", runtime_);
        sim_ = std::make_unique<test_support::MakerSimClient>(makersim::ProfilePorts());
        ASSERT_TRUE(sim_->Started()) << sim_->Error();
    }

    std::unique_ptr<ChildProcess> Start(const std::string& program, std::vector<std::string> options = {},
                                        const std::string& lang = "de_AT.UTF-8") {
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), options.begin(), options.end());
        return std::make_unique<ChildProcess>(
            argv,
            std::vector<std::string>{"TMPDIR=" + folder_.Path(), "XDG_RUNTIME_DIR=" + runtime_,
                                     "LANG=" + lang},
            std::vector<std::string>{"DISPLAY", "WAYLAND_DISPLAY", "LC_ALL", "LC_MESSAGES"});
    }

    std::string Log(const char* name = "kxIXO.log") const {
        return platform::ReadFile(folder_.Path() + "Kelvarosoft/IXO/" + name).value_or("");
    }
    bool LogShows(const std::string& text, const char* name = "kxIXO.log") const {
        return test_support::WaitUntil([&] { return Log(name).find(text) != std::string::npos; });
    }

    std::string Registry(const std::string& arguments) {
        test_support::CommandResult result =
            test_support::RunShell(test_support::ShellQuote(IXO_BINARY_DIR "/bin/ixo-reg") + " " + arguments);
        return result.exit_code == 0 ? result.out : "exit " + std::to_string(result.exit_code);
    }

    test_support::TempFolder folder_;
    std::string runtime_;
    ScopedEnvironment environment_;
    std::unique_ptr<test_support::MakerSimClient> sim_;
};

TEST_F(StartupConfigurationTest, NormalStartLoadsEverythingInOrderAndRecordsTheMachine) {
    std::unique_ptr<ChildProcess> first = Start(kInstaller);
    ASSERT_TRUE(LogShows("[INFO] MessageLoop\n")) << Log();
    std::string log = Log();
    const char* const kInOrder[] = {
        "[INFO] start, fork=[0].",
        "[INFO] LoadLocalXml\n",
        "[INFO] config folder=[",
        "[INFO] post info ok.\n",
        "[INFO] InitLangCode SystemDefaultLCID: ",
        "[INFO] InitLangCode GetUserDefaultLCID: 3079\n",
        "[INFO] InitLangCode set: 6\n",
        "[INFO] loadLangXML\n",
        "[INFO] analytics init tid=[UA-Ixo-Web], did=[",
        "[INFO] MessageLoop\n",
    };
    size_t at = 0;
    for (const char* line : kInOrder) {
        size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " after offset " << at << "\n" << log;
        at = found;
    }
    EXPECT_EQ(log.find("[ERROR]"), std::string::npos) << log;

    std::unique_ptr<ChildProcess> second = Start(kInstaller);
    EXPECT_EQ(second->Wait(), 255);
    EXPECT_TRUE(LogShows("[WARN] Already exist PreInstance."));

    // What the configuration left in the machine's registry.
    EXPECT_EQ(Registry("get HKLM 'Software\\IxrCX' 5120"), "demo\n");
    EXPECT_NE(Registry("get HKLM 'Software\\IxrCX' ''"), "exit 1");  // the first channel ever recorded
    std::string sign = Registry("get HKLM 'Software\\Kelvarosoft\\IXR' ClientSign");
    EXPECT_TRUE(std::regex_match(sign, std::regex(R"(\{[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}G\}\n)"))) << sign;

    // The product series reached the platform with this machine's signature, after a token exchange.
    sign.pop_back();
    std::vector<makersim::SimRequest> series = sim_->Requests("api", "/v1/product/series");
    ASSERT_FALSE(series.empty());
    EXPECT_EQ(series[0].body, "{\"product_id\":5120, \"client_sign\":\"" + sign + "\"}");
    EXPECT_FALSE(series[0].Header("Authorization").empty());

    first->Signal(SIGTERM);
    EXPECT_EQ(first->Wait(), 0);
    // Nothing was installed, so no statistics record is posted; the analytics sender ends with the run.
    log = Log();
    size_t loop_end = log.find("[INFO] MessageLoop end\n");
    ASSERT_NE(loop_end, std::string::npos) << log;
    EXPECT_NE(log.find("[INFO] exit!", loop_end), std::string::npos) << log;
    EXPECT_TRUE(sim_->Requests("stats", "/rest/v2/downloader/track").empty());
}

// A second start finds the running instance's main window by class and title and asks it to come forward:
// restored when minimised. Here the test is that instance.
TEST_F(StartupConfigurationTest, SecondStartBringsTheRunningWindowForward) {
    platform::SingleInstanceLock held;
    ASSERT_EQ(held.Acquire("Kelvarosoft Mendrake_ixo"), platform::SingleInstanceLock::Result::kAcquired);
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<platform::WindowMessage> messages;
    platform::WindowEndpoint window;
    ASSERT_TRUE(window.Create(
        "IXO", "Kelvarosoft Mendrake", [](std::function<void()> task) { task(); },
        [&](const platform::WindowMessage& message) {
            std::lock_guard guard(lock);
            messages.push_back(message);
            arrived.notify_all();
        }));
    auto wait_for = [&](size_t count) {
        std::unique_lock guard(lock);
        return arrived.wait_for(guard, std::chrono::seconds(20), [&] { return messages.size() >= count; });
    };

    EXPECT_EQ(Start(kInstaller)->Wait(), 255);
    ASSERT_TRUE(wait_for(2));
    ASSERT_TRUE(window.SetMinimized(true));
    EXPECT_EQ(Start(kInstaller)->Wait(), 255);
    ASSERT_TRUE(wait_for(4));
    // A fork copy has its own instance name and never touches a window.
    platform::SingleInstanceLock fork_held;
    ASSERT_EQ(fork_held.Acquire("Kelvarosoft Mendrake_ixo_fork"),
              platform::SingleInstanceLock::Result::kAcquired);
    EXPECT_EQ(Start(kInstaller, {"OnlyForkInstallDependent=1"})->Wait(), 255);

    std::lock_guard guard(lock);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].message, platform::kMessageShowWindow);
    EXPECT_EQ(messages[0].wparam, platform::kShowNormal);
    EXPECT_EQ(messages[1].message, platform::kMessageSetForeground);
    EXPECT_EQ(messages[2].message, platform::kMessageShowWindow);
    EXPECT_EQ(messages[2].wparam, platform::kShowRestore);
    EXPECT_EQ(messages[3].message, platform::kMessageSetForeground);
}

TEST_F(StartupConfigurationTest, MalformedConfigurationEndsTheStart) {
    struct Case {
        std::vector<std::string> options;
        const char* log;
        const char* box;
    } cases[] = {
        {{}, "kxIXO.log", "Error: Load product xml error.\n"},
        {{"OnlyForkInstallDependent=1"}, "kxForkIXO.log", ""},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ChildProcess> installer = Start(kBrokenProduct, c.options);
        EXPECT_EQ(installer->Wait(), 255);
        EXPECT_EQ(installer->Output(), c.box);
        std::string log = Log(c.log);
        size_t parse = log.find("[ERROR] LoadLocalXml err 3");
        EXPECT_NE(parse, std::string::npos) << log;
        EXPECT_NE(log.find("[ERROR] LoadLocalXml failed!", parse), std::string::npos) << log;
        EXPECT_EQ(log.find("MessageLoop"), std::string::npos) << log;
    }
}

}  // namespace
