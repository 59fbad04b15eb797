// A fresh folder under the system's temporary folder for one test, removed with everything in it when the
// object goes. Path() ends in '/'.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class TempFolder {
public:
    TempFolder() {
        std::random_device source;
        std::filesystem::path base = std::filesystem::temp_directory_path();
        for (;;) {
            std::filesystem::path candidate = base / ("ixo-test-" + std::to_string(source()));
            if (std::filesystem::create_directory(candidate)) {
                path_ = candidate.string() + "/";
                break;
            }
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }

    // Writes `content` to Path() + name (creating sub-folders) and returns the full path.
    std::string Write(const std::string& name, const std::string& content) const {
        std::filesystem::path file = path_ + name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << content;
        return file.string();
    }

private:
    std::string path_;
};
