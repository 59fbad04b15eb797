#include "downloader/url_parts.h"

namespace ns_IXD {

bool SplitUrl(const std::string& url, UrlParts& parts) {
    parts = UrlParts();
    size_t scheme_end = url.find("://");
    if (scheme_end == std::string::npos) return false;
    parts.scheme = url.substr(0, scheme_end);
    size_t begin = scheme_end + 3;
    size_t slash = url.find('/', begin);
    parts.authority = url.substr(begin, slash == std::string::npos ? std::string::npos : slash - begin);
    parts.path = slash == std::string::npos ? std::string() : url.substr(slash);
    size_t colon = parts.authority.rfind(':');
    if (colon != std::string::npos && parts.authority.find(']') == std::string::npos) {
        parts.name = parts.authority.substr(0, colon);
        parts.port = parts.authority.substr(colon + 1);
    } else {
        parts.name = parts.authority;
    }
    return true;
}

std::vector<std::string> ResolvePins(const std::string& url, const std::string& address) {
    std::vector<std::string> pins;
    UrlParts parts;
    if (address.empty() || !SplitUrl(url, parts) || parts.name.empty()) return pins;
    if (!parts.port.empty()) {
        pins.push_back(parts.name + ":" + parts.port + ":" + address);
    } else {
        pins.push_back(parts.name + ":443:" + address);
        pins.push_back(parts.name + ":80:" + address);
    }
    return pins;
}

}  // namespace ns_IXD
