// A real nginx serving a folder on loopback, for tests of downloads: whole files, ranges, HEAD, TLS.
#pragma once

#include <sys/types.h>

#include <string>

#include "tests/support/temp_folder.h"

namespace test_support {

struct NginxOptions {
    std::string root;                   // folder served at "/"; its files must be readable by every user
    std::string address = "127.0.0.1";  // IPv4 address to listen on
    bool tls = false;           // https with the test authority's localhost certificate, HTTP/2 offered
    std::string server_config;  // more directives for the server block ("limit_rate 100k;")
};

class NginxServer {
public:
    NginxServer() = default;
    ~NginxServer() { Stop(); }
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // Starts nginx in the foreground with its own prefix, configuration, logs and temporary folders, on a
    // listening socket that the kernel gave a free port (bound to port 0 here and handed to nginx). Returns
    // once nginx has read its configuration; false, with ErrorLog() telling why, when it could not start.
    bool Start(const NginxOptions& options);
    void Stop();

    int Port() const { return port_; }
    // "http://<address>:<port>" or "https://...", without a trailing slash.
    std::string BaseUrl() const;
    std::string ErrorLog() const;

private:
    TempFolder prefix_;
    NginxOptions options_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace test_support
