#include "formats/command_line_split.h"

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

void AppendArguments(std::u16string_view line, size_t i, std::vector<std::u16string>& arguments) {
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::u16string argument;
        int quotes = 0;  // 1 inside a quoted group, else 0
        while (i < line.size() && (quotes || !IsBlank(line[i]))) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == u'\\') ++backslashes, ++i;
            if (i >= line.size() || line[i] != u'"') {
                argument.append(backslashes, u'\\');
                if (backslashes == 0) argument += line[i++];
                continue;
            }
            argument.append(backslashes / 2, u'\\');
            if (backslashes % 2) {
                argument += u'"';
            } else {
                ++quotes;
            }
            // In a run of quotes, every third one counting from the group's opening is a literal quote and
            // closes the group; a group closed by the second one is just closed.
            for (++i; i < line.size() && line[i] == u'"'; ++i) {
                if (++quotes == 3) {
                    argument += u'"';
                    quotes = 0;
                }
            }
            if (quotes == 2) quotes = 0;
        }
        arguments.push_back(std::move(argument));
    }
}

}  // namespace

std::vector<std::u16string> SplitCommandLineArguments(std::u16string_view parameters) {
    std::vector<std::u16string> arguments;
    AppendArguments(parameters, 0, arguments);
    return arguments;
}

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
    std::vector<std::u16string> arguments;
    size_t i = 0;
    std::u16string program;
    if (i < line.size() && line[i] == u'"') {
        for (++i; i < line.size() && line[i] != u'"'; ++i) program += line[i];
        if (i < line.size()) ++i;
    } else {
        for (; i < line.size() && !IsBlank(line[i]); ++i) program += line[i];
    }
    arguments.push_back(std::move(program));
    AppendArguments(line, i, arguments);
    return arguments;
}
