// Splitting a command line text into arguments by the rules that programs of the other platform apply to
// the text they are started with: blanks and tabs separate arguments, double quotes group, 2n backslashes
// before a quote give n backslashes and a grouping quote, 2n+1 give n backslashes and a literal quote, and a
// doubled quote inside a group is a literal quote that ends the group. Installer parameters and hidden
// command lines are built as such texts and split here before a program is started.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The arguments of a parameter text (no program path at its start).
std::vector<std::u16string> SplitCommandLineArguments(std::u16string_view parameters);

// A whole command line: the first argument is the program path, taken up to the closing quote when it starts
// with one, else up to the first blank, without escapes; the rest as SplitCommandLineArguments. The result
// always holds the program (possibly empty).
std::vector<std::u16string> SplitCommandLine(std::u16string_view command_line);
