// CSkinManager: the process-wide resource registry of the skin. It reads layout files and images from the
// selected source: the ZIP archive held in a resource of the executable (what the program uses), or a plain
// folder (for skin designers and tests). Main thread only.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "ui/toolkit/zip_archive.h"

namespace skinui {

class CSkinManager {
public:
    enum class Source { kNone, kFolder, kZipResource };

    static CSkinManager& Instance();

    // Selects the archive held in memory (the bytes are used in place and must stay valid). False when they
    // are not a ZIP archive; the manager then has no source.
    bool SetArchive(const void* bytes, size_t size);
    // Selects a folder of loose skin files.
    void SetFolder(const std::string& folder);
    void Reset();
    Source GetSource() const { return source_; }

    // Reads one skin file (layout or image) by its name; nullopt when the source lacks it.
    std::optional<std::string> ReadFile(const std::u16string& name) const;
    // Reads a layout file once and keeps its text; false when it is missing.
    bool LoadLayout(const std::u16string& name);
    // The kept text of a layout, read on first use when not loaded yet; nullopt when missing.
    std::optional<std::string> GetLayout(const std::u16string& name);

    // Changes whenever the source changes, so that caches of decoded images know to drop their entries.
    unsigned GetGeneration() const { return generation_; }

private:
    CSkinManager() = default;

    Source source_ = Source::kNone;
    CZipArchive archive_;
    std::string folder_;
    std::map<std::u16string, std::string> layouts_;
    unsigned generation_ = 0;
};

// The skin loading of the program: selects the archive of resource "ZIPRES" 133 of the executable and loads
// "skin.xml" from it. A missing, empty or unreadable resource stops the loading silently (no source is then
// selected and windows get no layout). True when the archive was selected.
bool LoadSkinFromResource();

}  // namespace skinui
