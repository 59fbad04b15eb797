#include "tests/support/temp_folder.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/paths.h"

namespace test_support {

TempFolder::TempFolder() {
    std::string pattern = platform::GetTempFolder() + "ixo-test-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("TempFolder: mkdtemp");
        std::abort();
    }
    chmod(pattern.c_str(), 0755);
    path_ = pattern + "/";
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& content) const {
    std::filesystem::path file = path_ + name;
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    for (std::filesystem::path folder = file.parent_path(); folder.string().size() >= path_.size();
         folder = folder.parent_path()) {
        chmod(folder.c_str(), 0755);
        if (folder == folder.parent_path()) break;
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(content.data(), std::streamsize(content.size()));
    chmod(file.c_str(), 0644);
    return file.string();
}

}  // namespace test_support
