// A real HTTP server on a loopback port for the analytics tests: answers POSTs with the status scripted for
// their path (200 when none is) and records every request. The port is chosen by the system.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace analyticstest {

class CLocalCollector {
public:
    struct Request {
        std::string path;  // without the query
        std::string query;
        std::map<std::string, std::string> headers;  // names in lower case
        std::string body;
    };

    CLocalCollector();
    ~CLocalCollector();
    CLocalCollector(const CLocalCollector&) = delete;
    CLocalCollector& operator=(const CLocalCollector&) = delete;

    // "http://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path) const;

    // The status answered for `path`; a 3xx answer carries "Location: <location>".
    void SetStatus(const std::string& path, int status, const std::string& location = std::string());

    std::vector<Request> Requests() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::thread thread_;
    int port_ = 0;
};

}  // namespace analyticstest
