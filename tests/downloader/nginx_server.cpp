#include "tests/downloader/nginx_server.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/downloader/test_support.h"
#include "tests/support/test_ca.h"

namespace ixo_test {

namespace fs = std::filesystem;

NginxServer::~NginxServer() {
    Stop();
    if (!prefix_.empty()) {
        std::error_code ignored;
        fs::remove_all(prefix_, ignored);
    }
}

bool NginxServer::Start(const std::vector<NginxSite>& sites) {
    // Another process may take the free port before nginx binds it: a few tries.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (StartOnce(sites)) return true;
        Stop();
        std::error_code ignored;
        fs::remove_all(prefix_, ignored);
    }
    return false;
}

bool NginxServer::StartOnce(const std::vector<NginxSite>& sites) {
    static int counter = 0;
    prefix_ = fs::temp_directory_path().string() + "/ixo-nginx-" + std::to_string(std::rand()) + "-" +
              std::to_string(counter++) + "/";
    fs::remove_all(prefix_);
    fs::create_directories(prefix_ + "tmp");
    fs::permissions(prefix_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    port_ = FreeLoopbackPort();

    std::ostringstream conf;
    conf << "worker_processes 1;\n"
         << "pid " << prefix_ << "nginx.pid;\n"
         << "error_log " << prefix_ << "error.log;\n"
         << "events { worker_connections 512; }\n"
         << "http {\n"
         << "  log_format ixo '$server_addr $status $body_bytes_sent \"$http_range\" $request_method $uri "
            "$args';\n"
         << "  access_log " << prefix_ << "access.log ixo;\n"
         << "  client_body_temp_path " << prefix_ << "tmp/body;\n"
         << "  proxy_temp_path " << prefix_ << "tmp/proxy;\n"
         << "  fastcgi_temp_path " << prefix_ << "tmp/fastcgi;\n"
         << "  uwsgi_temp_path " << prefix_ << "tmp/uwsgi;\n"
         << "  scgi_temp_path " << prefix_ << "tmp/scgi;\n"
         << "  default_type application/octet-stream;\n"
         << "  sendfile on;\n"
         << "  keepalive_requests 10000;\n";
    for (const NginxSite& site : sites) {
        conf << "  server {\n"
             << "    listen " << site.address << ":" << port_ << (site.tls ? " ssl" : "") << ";\n"
             << "    server_name _;\n"
             << "    root " << site.root << ";\n";
        if (site.tls) {
            conf << "    ssl_certificate " << test_support::TestCaFile(site.certificate + ".pem") << ";\n"
                 << "    ssl_certificate_key " << test_support::TestCaFile(site.certificate + ".key")
                 << ";\n";
        }
        if (!site.limit_rate.empty()) conf << "    limit_rate " << site.limit_rate << ";\n";
        if (!site.ranges) conf << "    max_ranges 0;\n";
        conf << site.extra << "  }\n";
    }
    conf << "}\n";
    std::ofstream(prefix_ + "nginx.conf") << conf.str();

    if (Shell("nginx -q -p '" + prefix_ + "' -c '" + prefix_ + "nginx.conf' -e '" + prefix_ +
              "error.log' 2>>'" + prefix_ + "start.log'") != 0) {
        std::error_code ignored;
        fs::remove_all(prefix_, ignored);
        return false;
    }
    running_ = true;
    for (const NginxSite& site : sites) {
        if (!WaitUntil([&] { return Accepts(site.address, port_); }, std::chrono::seconds(10))) return false;
    }
    return true;
}

void NginxServer::Stop() {
    if (!running_) return;
    running_ = false;
    Shell("nginx -q -p '" + prefix_ + "' -c '" + prefix_ + "nginx.conf' -e '" + prefix_ +
          "error.log' -s stop");
    WaitUntil([&] { return !fs::exists(prefix_ + "nginx.pid"); }, std::chrono::seconds(10));
}

std::vector<std::string> NginxServer::AccessLog() const {
    std::vector<std::string> lines;
    std::ifstream in(prefix_ + "access.log");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int64_t NginxServer::BodyBytesSent(const std::string& path) const {
    int64_t sum = 0;
    for (const std::string& line : AccessLog()) {
        std::istringstream fields(line);
        std::string address, status, bytes;
        fields >> address >> status >> bytes;
        if (line.find(" " + path + " ") != std::string::npos) sum += std::stoll(bytes);
    }
    return sum;
}

}  // namespace ixo_test
