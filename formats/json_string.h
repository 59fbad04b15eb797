// The quoted JSON form of a UTF-8 text, shared by every JSON writer of the program.
#pragma once

#include <string>
#include <string_view>

// Appends `text` as a quoted JSON string. Quote, backslash, backspace, form feed, LF, CR and tab take their
// short escapes; the other control bytes become \u00xx so that the output stays valid JSON whatever the text
// holds; every other byte is copied unchanged.
void AppendJsonString(std::string& out, std::string_view text);
