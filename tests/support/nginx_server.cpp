#include "tests/support/nginx_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "tests/support/test_ca.h"

extern char** environ;

namespace test_support {
namespace {

// A socket listening on `address` at a port chosen by the kernel, inheritable by a child; -1 on failure.
int ListenOnFreePort(const std::string& address, int& port) {
    int descriptor = socket(AF_INET, SOCK_STREAM, 0);
    if (descriptor < 0) return -1;
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = 0;
    socklen_t length = sizeof where;
    if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1 ||
        bind(descriptor, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
        listen(descriptor, 128) != 0 ||
        getsockname(descriptor, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
        close(descriptor);
        return -1;
    }
    port = ntohs(where.sin_port);
    return descriptor;
}

}  // namespace

bool NginxServer::Start(const NginxOptions& options) {
    Stop();
    options_ = options;
    int listener = ListenOnFreePort(options.address, port_);
    if (listener < 0) return false;

    const std::string& prefix = prefix_.Path();
    std::string listen = options.address + ":" + std::to_string(port_);
    std::string tls;
    if (options.tls) {
        listen += " ssl http2";
        tls = "    ssl_certificate " + TestCaFile("server.pem") + ";\n    ssl_certificate_key " +
              TestCaFile("server.key") + ";\n";
    }
    std::string config =
        "daemon off;\n"
        "master_process on;\n"
        "worker_processes 1;\n"
        "pid " +
        prefix +
        "nginx.pid;\n"
        "error_log " +
        prefix +
        "error.log info;\n"
        "events { worker_connections 256; }\n"
        "http {\n"
        "  access_log " +
        prefix +
        "access.log;\n"
        "  client_body_temp_path " +
        prefix +
        "client_body;\n"
        "  proxy_temp_path " +
        prefix +
        "proxy;\n"
        "  fastcgi_temp_path " +
        prefix +
        "fastcgi;\n"
        "  uwsgi_temp_path " +
        prefix +
        "uwsgi;\n"
        "  scgi_temp_path " +
        prefix +
        "scgi;\n"
        "  default_type application/octet-stream;\n"
        "  server {\n"
        "    listen " +
        listen +
        ";\n"
        "    root " +
        options.root + ";\n" + tls + "    " + options.server_config +
        "\n"
        "  }\n"
        "}\n";
    prefix_.Write("nginx.conf", config);

    // nginx takes over listening sockets named in its NGINX variable instead of binding its own.
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        if (std::string(*entry).rfind("NGINX=", 0) != 0) variables.emplace_back(*entry);
    }
    variables.push_back("NGINX=" + std::to_string(listener) + ";");
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string program = "/usr/sbin/nginx";
    std::string error_log = prefix + "error.log";
    std::string config_file = prefix + "nginx.conf";
    std::vector<std::string> args = {program, "-p", prefix, "-e", error_log, "-c", config_file};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    int spawned = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data());
    close(listener);
    if (spawned != 0) return false;
    pid_ = pid;

    // The pid file appears once the configuration is read and the sockets are taken over; connections made
    // before that wait in the socket's queue.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (platform::FileExists(prefix + "nginx.pid")) return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Stop();
    return false;
}

void NginxServer::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

std::string NginxServer::BaseUrl() const {
    return std::string(options_.tls ? "https://" : "http://") + options_.address + ":" +
           std::to_string(port_);
}

std::string NginxServer::ErrorLog() const {
    return platform::ReadFile(prefix_.Path() + "error.log").value_or(std::string());
}

}  // namespace test_support
