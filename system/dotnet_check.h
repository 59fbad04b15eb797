// Whether a .NET Framework version is present, from its registration in the registry.
#pragma once

#include <string>

// The 2.0 policy key (v2.0 or v2.0.50727) exists and the framework's "InstallRoot" is set.
bool IsDotNet2Present();

// Runs the framework's checker program (a hidden command line, 20-second limit) with the framework's own
// error dialogs switched off (NoGuiFromShim = 1, removed again afterwards when it was not set before). False
// for an empty command line or without .NET 2.0; else whether the checker ended with code 0.
bool RunDotNetProbe(const std::u16string& command_line);

// Whether the framework of `required` ("4.6", "3.5", "2.0") or a later one of the same family is installed:
// major versions 2 and 3 are met by an installed 2, 3 or 3.5 of at least that version; 4.x only by an
// installed 4 (its "Full" profile) of at least that minor.
bool IsDotNetVersionPresent(const std::u16string& required);
