#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "platform/name_resolver.h"

extern char** environ;

namespace platform {

std::vector<uint32_t> ResolveIpv4(const std::string& host) {
    std::vector<uint32_t> addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0) return addresses;
    for (addrinfo* item = list; item; item = item->ai_next) {
        if (item->ai_family != AF_INET) continue;
        uint32_t address = reinterpret_cast<const sockaddr_in*>(item->ai_addr)->sin_addr.s_addr;
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
            addresses.push_back(address);
        }
    }
    freeaddrinfo(list);
    return addresses;
}

bool FlushResolverCache() {
    const char* candidates[] = {"/usr/bin/resolvectl", "/bin/resolvectl"};
    for (const char* program : candidates) {
        if (access(program, X_OK) != 0) continue;
        char* arguments[] = {const_cast<char*>(program), const_cast<char*>("flush-caches"), nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, program, nullptr, nullptr, arguments, environ) != 0) return false;
        int status = 0;
        while (waitpid(child, &status, 0) < 0) {
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return false;
}

std::string Ipv4ToText(uint32_t address) {
    in_addr raw{};
    raw.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &raw, text, sizeof text)) return std::string();
    return text;
}

std::optional<uint32_t> TextToIpv4(const std::string& text) {
    in_addr raw{};
    if (inet_pton(AF_INET, text.c_str(), &raw) != 1) return std::nullopt;
    return raw.s_addr;
}

}  // namespace platform
