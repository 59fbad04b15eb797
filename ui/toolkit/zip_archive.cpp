#include "ui/toolkit/zip_archive.h"

#include <zip.h>

namespace skinui {

struct CZipArchive::Impl {
    zip_t* archive = nullptr;
};

CZipArchive::CZipArchive() : impl_(std::make_unique<Impl>()) {}

CZipArchive::~CZipArchive() {
    Close();
}

bool CZipArchive::Open(const void* bytes, size_t size) {
    Close();
    if (!bytes || size == 0) return false;
    zip_error_t error;
    zip_error_init(&error);
    // freep 0: the buffer stays the caller's.
    zip_source_t* source = zip_source_buffer_create(bytes, size, 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return false;
    }
    impl_->archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!impl_->archive) zip_source_free(source);
    zip_error_fini(&error);
    return impl_->archive != nullptr;
}

void CZipArchive::Close() {
    if (impl_->archive) zip_discard(impl_->archive);
    impl_->archive = nullptr;
}

bool CZipArchive::IsOpen() const {
    return impl_->archive != nullptr;
}

std::optional<std::string> CZipArchive::ReadEntry(const std::string& name) const {
    if (!impl_->archive) return std::nullopt;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(impl_->archive, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        return std::nullopt;
    }
    zip_file_t* file = zip_fopen(impl_->archive, name.c_str(), 0);
    if (!file) return std::nullopt;
    std::string content(static_cast<size_t>(stat.size), '\0');
    zip_int64_t read = content.empty() ? 0 : zip_fread(file, content.data(), content.size());
    zip_fclose(file);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) return std::nullopt;
    return content;
}

std::vector<std::string> CZipArchive::EntryNames() const {
    std::vector<std::string> names;
    if (!impl_->archive) return names;
    zip_int64_t count = zip_get_num_entries(impl_->archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (const char* name = zip_get_name(impl_->archive, static_cast<zip_uint64_t>(i), 0))
            names.push_back(name);
    }
    return names;
}

}  // namespace skinui
