// The pieces of a download URL that the engine needs: its host for pinning and for the host table, its path
// for probing, its file name.
#pragma once

#include <string>
#include <vector>

namespace ns_IXD {

// "https://name:8443/a/b?c" gives scheme "https", authority "name:8443", name "name", port "8443" and path
// "/a/b?c".
struct UrlParts {
    std::string scheme;
    std::string authority;
    std::string name;
    std::string port;  // empty when the URL names none
    std::string path;
};

// False when the URL has no "://".
bool SplitUrl(const std::string& url, UrlParts& parts);

// The libcurl resolve entries that pin the URL's host to one address: on the URL's own port when it names
// one, else on 443 and 80. Empty when there is no address or no host.
std::vector<std::string> ResolvePins(const std::string& url, const std::string& address);

}  // namespace ns_IXD
