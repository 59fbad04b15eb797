// The process-wide table of download hosts: the IPv4 addresses kept for each host name (only those that
// agreed on the file's length with the majority), and the length agreed per URL. Addresses come from the
// system resolver, or from the DNS-over-HTTPS resolver when the system has none.
//
// Threads: any download thread; every operation takes the manager's lock.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace ns_IXD {

class HostIpManager {
public:
    static HostIpManager& Instance();

    // The URL's host has at least one address.
    bool HasHost(const std::string& url);
    // Resolves the host and votes on the file's length over its addresses (see the .cpp). True when the host
    // has at least one address afterwards.
    bool InitHost(const std::string& url);
    // The host (the URL's authority) and its addresses joined by ","; false when it has none.
    bool GetHostAndIps(const std::string& url, std::string& host, std::string& ips);
    // The addresses of a host (a URL's authority) as dotted text, in set order.
    std::vector<std::string> GetIps(const std::string& host);
    // The length agreed for the URL, 0 when unknown.
    int64_t GetSize(const std::string& url);
    // Forgets every host's addresses (lengths stay) and flushes the system's name cache.
    void FlushAll();

    // Replaces the system resolver (an empty function restores it).
    static void SetResolverForTesting(std::function<std::vector<uint32_t>(const std::string&)> resolver);

private:
    HostIpManager() = default;
    void Resolve(const std::string& authority, const std::string& name);

    std::map<std::string, std::set<uint32_t>> hosts_;  // keyed by the URL's authority
    std::map<std::string, int64_t> sizes_;
    std::mutex lock_;
};

// An account value of the DNS-over-HTTPS resolver from its stored form: base64 text with three filler
// characters after the fourth.
std::string UnscrambleAccountValue(const std::string& scrambled);

// Asks the DNS-over-HTTPS resolver (primary, then secondary base address) for the host's IPv4 addresses.
bool QueryHttpDns(const std::string& host, std::vector<std::string>& ips);

// Replaces the resolver's base addresses of the deployment profile (empty texts restore them).
void SetHttpDnsBasesForTesting(const std::string& primary, const std::string& secondary);

}  // namespace ns_IXD
