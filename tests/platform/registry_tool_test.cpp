// The ixo-reg program, run as installers and scripts run it.
#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_folder.h"

namespace {

using test_support::CommandResult;
using test_support::RunShell;
using test_support::ShellQuote;
using test_support::TempFolder;

class RegistryToolTest : public ::testing::Test {
protected:
    // "ixo-reg --root <folder> <arguments>", each argument quoted.
    std::string Tool(std::initializer_list<std::string> arguments) const {
        std::string line = ShellQuote(std::string(IXO_BINARY_DIR) + "/bin/ixo-reg") + " --root " +
                           ShellQuote(folder_.Path());
        for (const std::string& argument : arguments) line += " " + ShellQuote(argument);
        return line;
    }
    CommandResult Run(std::initializer_list<std::string> arguments) const {
        return RunShell(Tool(arguments));
    }

    TempFolder folder_;
};

TEST_F(RegistryToolTest, SetThenGetPrintsTheValue) {
    CommandResult set = Run({"set", "HKLM", "Software\\Kelvarosoft\\IXR", "ClientSign", "sz", "{x}"});
    ASSERT_EQ(set.exit_code, 0) << set.err;
    CommandResult get = Run({"get", "HKLM", "Software\\Kelvarosoft\\IXR", "ClientSign"});
    EXPECT_EQ(get.exit_code, 0) << get.err;
    EXPECT_EQ(get.out, "{x}\n");

    // The program reads what the tool wrote: HKLM is the 32-bit view.
    platform::SetRegistryRootForTesting(folder_.Path());
    platform::RegistryKey key;
    ASSERT_TRUE(key.Open(platform::RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\IXR",
                         platform::RegistryView::k32Bit));
    EXPECT_EQ(key.ReadString("ClientSign"), "{x}");
    platform::SetRegistryRootForTesting("");
}

TEST_F(RegistryToolTest, EveryCommandOnEveryHive) {
    struct Step {
        std::initializer_list<std::string> arguments;
        int exit_code;
        std::string out;
    };
    const Step steps[] = {
        {{"set", "HKLM/64", "Software\\K\\Product", "PID", "dword", "0x10"}, 0, ""},
        {{"set", "HKLM/64", "Software\\K\\Other", "Version", "sz", "1.2.3"}, 0, ""},
        {{"get", "HKLM/64", "software\\k\\product", "pid"}, 0, "16\n"},
        {{"get", "HKLM/32", "Software\\K\\Product", "PID"}, 1, ""},
        {{"list", "HKLM/64", "Software\\K"}, 0, "Other\nProduct\n"},
        {{"set", "HKCU", "Software\\K", "", "sz", "default"}, 0, ""},
        {{"get", "HKCU", "Software\\K", ""}, 0, "default\n"},
        {{"set", "HKLM", "Software\\K", "Big", "dword", "4294967295"}, 0, ""},
        {{"get", "HKLM/32", "Software\\K", "Big"}, 0, "4294967295\n"},
        {{"del", "HKLM", "Software\\K", "Big"}, 0, ""},
        {{"get", "HKLM", "Software\\K", "Big"}, 1, ""},
        {{"del", "HKLM", "Software\\K", "Big"}, 1, ""},
        {{"del", "HKLM/64", "Software\\K"}, 0, ""},
        {{"list", "HKLM/64", "Software"}, 0, ""},
        {{"list", "HKLM/64", "Software\\K"}, 1, ""},
    };
    for (const Step& step : steps) {
        std::string line = Tool(step.arguments);
        CommandResult result = RunShell(line);
        EXPECT_EQ(result.exit_code, step.exit_code) << line << "\n" << result.err;
        EXPECT_EQ(result.out, step.out) << line;
        // Failures say why.
        if (step.exit_code != 0) {
            EXPECT_NE(result.err.find("ixo-reg: "), std::string::npos) << line;
        }
    }
}

TEST_F(RegistryToolTest, WrongUsageIsRefusedWithExitStatus2) {
    const std::initializer_list<std::string> cases[] = {
        {},
        {"get", "HKLM"},
        {"get", "HKEY_LOCAL_MACHINE", "Software", "x"},
        {"get", "HKCU/64", "Software", "x"},
        {"set", "HKLM", "Software", "x", "qword", "1"},
        {"set", "HKLM", "Software", "x", "dword", "-1"},
        {"set", "HKLM", "Software", "x", "dword", "4294967296"},
        {"set", "HKLM", "Software", "x", "dword", "12abc"},
        {"set", "HKLM", "Software", "x", "sz"},
        {"copy", "HKLM", "Software"},
    };
    for (const auto& arguments : cases) {
        std::string line = Tool(arguments);
        CommandResult result = RunShell(line);
        EXPECT_EQ(result.exit_code, 2) << line;
        EXPECT_NE(result.err.find("usage:"), std::string::npos) << line;
    }
    // Nothing was written by any of them.
    EXPECT_EQ(Run({"list", "HKLM", ""}).out, "");
}

TEST_F(RegistryToolTest, TwoProcessesWritingAtOnceLoseNoWrite) {
    // Two shell loops, each running the tool once per value, write into the same key at the same time.
    constexpr int kWrites = 40;
    std::string loop_a, loop_b;
    for (const char* writer : {"a", "b"}) {
        std::string loop = "for i in $(seq 1 " + std::to_string(kWrites) + "); do " +
                           Tool({"set", "HKLM", "Software\\Busy"}) + " " + writer +
                           "$i dword $i || exit 1; done";
        (std::string(writer) == "a" ? loop_a : loop_b) = loop;
    }
    CommandResult both = RunShell("(" + loop_a + ") & a=$!; (" + loop_b + ") & b=$!; wait $a && wait $b");
    ASSERT_EQ(both.exit_code, 0) << both.err;

    platform::SetRegistryRootForTesting(folder_.Path());
    platform::RegistryKey key;
    ASSERT_TRUE(key.Open(platform::RegistryHive::kLocalMachine, "Software\\Busy"));
    int missing = 0;
    for (const char* writer : {"a", "b"}) {
        for (int i = 1; i <= kWrites; ++i) {
            if (key.ReadDword(writer + std::to_string(i)) != uint32_t(i)) ++missing;
        }
    }
    platform::SetRegistryRootForTesting("");
    EXPECT_EQ(missing, 0);
}

}  // namespace
