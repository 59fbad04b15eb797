// A real nginx on loopback for the engine's tests: its own prefix folder, configuration, logs and pid file,
// one or more listening addresses on one free port, optional TLS and a per-connection rate limit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ixo_test {

struct NginxSite {
    std::string address = "127.0.0.1";
    std::string root;  // folder served (files must be world-readable)
    bool tls = false;  // uses the build's test certificate for localhost and 127.0.0.1
    std::string certificate =
        "server";            // with tls: "server", "untrusted" or "other-host" of the test CA folder
    std::string limit_rate;  // e.g. "2m" bytes per second per connection; empty: no limit
    bool ranges = true;      // false: ranges are ignored and every answer is the whole file (200)
    std::string extra;       // more directives inside the server block
};

class NginxServer {
public:
    NginxServer() = default;
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // Starts nginx with every site on one free port; true once it answers.
    bool Start(const std::vector<NginxSite>& sites);
    // Ends nginx; its logs stay readable until the object goes. nginx writes a request's log line just after
    // answering it, so a test that needs every line stops the server first.
    void Stop();
    int Port() const { return port_; }
    // The access log: one line per request, "<server address> <status> <body bytes> <range header> <method>
    // <uri>".
    std::vector<std::string> AccessLog() const;
    // Sum of the body bytes sent for requests of the given path.
    int64_t BodyBytesSent(const std::string& path) const;

private:
    bool StartOnce(const std::vector<NginxSite>& sites);

    std::string prefix_;
    int port_ = 0;
    bool running_ = false;
};

// A port that nothing on 127.0.0.1 listens on right now.
int FreeLoopbackPort();

// Whether a TCP connection to address:port is accepted.
bool Accepts(const std::string& address, int port);

}  // namespace ixo_test
