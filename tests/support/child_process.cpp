#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/file_system.h"

extern char** environ;

namespace test_support {

ChildProcess::ChildProcess(std::vector<std::string> argv, std::vector<std::string> environment,
                           std::vector<std::string> unset) {
    char output_template[] = "/tmp/ixo-child-output-XXXXXX";
    int output = mkstemp(output_template);
    if (output < 0) return;
    output_path_ = output_template;

    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        std::string variable = *entry;
        std::string name = variable.substr(0, variable.find('='));
        bool replaced = false;
        for (const std::string& removed : unset) replaced = replaced || removed == name;
        for (const std::string& added : environment) replaced = replaced || added.substr(0, added.find('=')) == name;
        if (!replaced) variables.push_back(variable);
    }
    variables.insert(variables.end(), environment.begin(), environment.end());

    std::vector<char*> argument_pointers;
    for (std::string& argument : argv) argument_pointers.push_back(argument.data());
    argument_pointers.push_back(nullptr);
    std::vector<char*> variable_pointers;
    for (std::string& variable : variables) variable_pointers.push_back(variable.data());
    variable_pointers.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
        int null_input = open("/dev/null", O_RDONLY);
        dup2(null_input, 0);
        dup2(output, 1);
        dup2(output, 2);
        setpgid(0, 0);
        execve(argument_pointers[0], argument_pointers.data(), variable_pointers.data());
        _exit(127);
    }
    close(output);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (!output_path_.empty()) unlink(output_path_.c_str());
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds limit) {
    if (pid_ <= 0 || reaped_) return std::nullopt;
    int status = 0;
    bool ended = WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, limit);
    if (!ended) return std::nullopt;
    reaped_ = true;
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}

void ChildProcess::Signal(int signal_number) {
    if (pid_ > 0 && !reaped_) kill(pid_, signal_number);
}

std::string ChildProcess::Output() const { return platform::ReadFile(output_path_).value_or(""); }

}  // namespace test_support
