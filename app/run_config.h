// The user's choices of one run, saved in the working folder as IXO_DOWNTASK_<product id>.xml so that a
// restarted run finds them again and can resume an interrupted download.
#pragma once

#include <string>

struct RunConfig {
    std::u16string Status;           // "1" once a download phase has started
    std::u16string JoinExp;          // "1": the user joined the experience programme
    std::u16string SelectLang;       // display name of the product language
    std::u16string InstallPath;      // install parent folder chosen in the window, ending in '/'
    std::u16string AgreeExtInstall;  // "1": the companion offer was accepted
    std::u16string TmpPackagePath;   // the product's partial download: package path + ".~P2S"
};

// Reads the file's `config` element into `config`; a missing child leaves its field alone. False (and
// `config` untouched) when the file cannot be read, is not well-formed or has no `config` root.
bool ReadRunConfigFile(const std::u16string& path, RunConfig& config);

// Writes the whole record: the XML declaration, then `config` with the six children in their fixed order.
// Replaces the file as a whole (a reader sees the old or the new one). False when it cannot be written.
bool WriteRunConfigFile(const std::u16string& path, const RunConfig& config);

// The resume flag: Status read as a decimal number (leading blanks and sign, digits up to the first other
// character) equals 1: "1", "01" and " 1" do; "", "0", "10" and "-1" do not.
bool IsResumeStatus(const std::u16string& status);
