// Versions as text: of files, of the system, and their comparison.
#pragma once

#include <optional>
#include <string>
#include <vector>

// "%d.%d.%d.%d" of the file's version stamp; nullopt when the file has none.
std::optional<std::u16string> GetFileVersionText(const std::u16string& path);

// Up to four numbers read as "%d.%d.%d.%d" reads them: each may follow blanks and carry a sign, the dots
// must follow directly, and reading stops at the first part that does not fit. "5.1.x" gives {5, 1}.
std::vector<int> ParseVersion(const std::u16string& text);

// 1 when a is newer, -1 when older, 0 when equal; missing parts count as 0, so 1.2 equals 1.2.0.0.
int CompareVersions(const std::u16string& a, const std::u16string& b);

// Major, minor and patch of the running kernel joined by dots ("6.1.0"); empty when unknown.
std::u16string GetOsVersionText();
