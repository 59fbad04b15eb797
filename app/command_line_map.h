// The program's key=value options, and the command line it builds for its own fork-mode copy.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CommandLineMap {
public:
    CommandLineMap() = default;

    // One entry per argument (the program path left out): the key is the text before the first "=" and the
    // value everything after it; an argument without "=" is a key with an empty value. A later key replaces an
    // earlier one. Nothing is trimmed or case-folded.
    static CommandLineMap FromArguments(const std::vector<std::u16string>& arguments);
    static CommandLineMap FromArguments(int argc, const char* const argv[]);  // argv[0] is the program

    // The value, or the empty string when the key is absent.
    std::u16string Get(std::u16string_view key) const;
    size_t size() const { return options_.size(); }

private:
    std::map<std::u16string, std::u16string, std::less<>> options_;
};

// The command line of the fork-mode copy: "<exe>" OnlyForkInstallDependent=1 HostLang=<lang>
// HostVersion=<version> HostHwnd=<handle in decimal>. A value with a blank or a quote is enclosed in quotes
// (which SplitCommandLine removes again), so that "Bahasa Indonesia" reaches the copy whole.
std::u16string BuildForkCommandLine(std::u16string_view executable_path, std::u16string_view select_lang,
                                    std::u16string_view host_version, int32_t main_window);
