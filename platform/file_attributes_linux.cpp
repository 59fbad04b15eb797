#include <sys/xattr.h>

#include <cerrno>

#include "platform/file_attributes.h"

namespace platform {

namespace {
constexpr char kHiddenAttribute[] = "user.ixo.hidden";
}

bool SetFileHidden(const std::string& path, bool hidden) {
    if (hidden) return setxattr(path.c_str(), kHiddenAttribute, "1", 1, 0) == 0;
    return removexattr(path.c_str(), kHiddenAttribute) == 0 || errno == ENODATA;
}

bool IsFileHidden(const std::string& path) {
    char value = 0;
    return getxattr(path.c_str(), kHiddenAttribute, &value, 1) == 1 && value == '1';
}

}  // namespace platform
