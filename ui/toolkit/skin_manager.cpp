#include "ui/toolkit/skin_manager.h"

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/resources.h"

namespace skinui {

CSkinManager& CSkinManager::Instance() {
    static CSkinManager manager;
    return manager;
}

bool CSkinManager::SetArchive(const void* bytes, size_t size) {
    Reset();
    if (!archive_.Open(bytes, size)) return false;
    source_ = Source::kZipResource;
    return true;
}

void CSkinManager::SetFolder(const std::string& folder) {
    Reset();
    folder_ = folder;
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
    source_ = Source::kFolder;
}

void CSkinManager::Reset() {
    archive_.Close();
    folder_.clear();
    layouts_.clear();
    source_ = Source::kNone;
    ++generation_;
}

std::optional<std::string> CSkinManager::ReadFile(const std::u16string& name) const {
    std::string narrow = Utf16ToUtf8(name);
    // The archive is flat; a name that climbs out of the folder is not a skin file.
    if (narrow.empty() || narrow.find('/') != std::string::npos || narrow.find('\\') != std::string::npos) {
        return std::nullopt;
    }
    switch (source_) {
        case Source::kZipResource:
            return archive_.ReadEntry(narrow);
        case Source::kFolder:
            return platform::ReadFile(folder_ + narrow);
        case Source::kNone:
            break;
    }
    return std::nullopt;
}

bool CSkinManager::LoadLayout(const std::u16string& name) {
    std::optional<std::string> text = ReadFile(name);
    if (!text) return false;
    layouts_[name] = std::move(*text);
    return true;
}

std::optional<std::string> CSkinManager::GetLayout(const std::u16string& name) {
    auto found = layouts_.find(name);
    if (found == layouts_.end()) {
        if (!LoadLayout(name)) return std::nullopt;
        found = layouts_.find(name);
    }
    return found->second;
}

bool LoadSkinFromResource() {
    std::optional<std::string_view> archive = platform::FindResource("ZIPRES", 133);
    if (!archive || archive->empty()) return false;
    CSkinManager& skin = CSkinManager::Instance();
    if (!skin.SetArchive(archive->data(), archive->size())) return false;
    skin.LoadLayout(u"skin.xml");
    return true;
}

}  // namespace skinui
