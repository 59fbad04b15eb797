// Time stamps and the address checks and additions that pages and reports use.
#pragma once

#include <cstdint>
#include <string>

// Local time as "%Y%m%d%H%M%S"; empty when the clock cannot be read.
std::u16string GetTimestampText();

// url + ("?" when it holds none, else "&") + "_t=" + seconds since 1970, so that no cached copy is shown.
std::u16string AddTimestampParam(const std::u16string& url);
std::u16string AddTimestampParam(const std::u16string& url, int64_t seconds_since_1970);

// After trimming blanks at both ends: starts with "http://" and is at least 8 characters long, or starts
// with "https://" and is longer than 8.
bool IsHttpUrl(const std::u16string& text);
