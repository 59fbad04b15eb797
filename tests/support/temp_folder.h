// A fresh folder for one test, removed with everything in it when the object goes.
#pragma once

#include <string>

namespace test_support {

class TempFolder {
public:
    // Makes "<temporary folder>ixo-test-XXXXXX/", readable by every user (servers whose workers run as
    // another user serve files from it). Aborts the test program when it cannot.
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends in '/'.
    const std::string& Path() const { return path_; }

    // Writes `content` to Path() + `name` (its folders made as needed), readable by every user; returns the
    // file's full path.
    std::string Write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

}  // namespace test_support
