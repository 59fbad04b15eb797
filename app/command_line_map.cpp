#include "app/command_line_map.h"

#include "formats/utf_conversion.h"

CommandLineMap CommandLineMap::FromArguments(const std::vector<std::u16string>& arguments) {
    CommandLineMap map;
    for (const std::u16string& argument : arguments) {
        size_t equals = argument.find(u'=');
        std::u16string key = argument.substr(0, equals);
        std::u16string value = equals == std::u16string::npos ? std::u16string() : argument.substr(equals + 1);
        map.options_.insert_or_assign(std::move(key), std::move(value));
    }
    return map;
}

CommandLineMap CommandLineMap::FromArguments(int argc, const char* const argv[]) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(Utf8ToUtf16(argv[i]));
    return FromArguments(arguments);
}

std::u16string CommandLineMap::Get(std::u16string_view key) const {
    auto found = options_.find(key);
    return found == options_.end() ? std::u16string() : found->second;
}

namespace {

// Leaves a plain value alone; otherwise quotes it and escapes what the splitting would read as quotes.
std::u16string QuoteIfNeeded(std::u16string_view value) {
    if (value.find_first_of(u" \t\"") == std::u16string_view::npos) return std::u16string(value);
    std::u16string quoted = u"\"";
    size_t backslashes = 0;
    for (char16_t c : value) {
        if (c == u'\\') {
            ++backslashes;
            quoted += c;
            continue;
        }
        if (c == u'"') quoted.append(backslashes + 1, u'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes, u'\\');  // so that a trailing backslash does not escape the closing quote
    return quoted + u"\"";
}

}  // namespace

std::u16string BuildForkCommandLine(std::u16string_view executable_path, std::u16string_view select_lang,
                                    std::u16string_view host_version, int32_t main_window) {
    std::u16string line = u"\"";
    line += executable_path;
    line += u"\" OnlyForkInstallDependent=1 HostLang=";
    line += QuoteIfNeeded(select_lang);
    line += u" HostVersion=";
    line += QuoteIfNeeded(host_version);
    line += u" HostHwnd=";
    line += Utf8ToUtf16(std::to_string(main_window));
    return line;
}
