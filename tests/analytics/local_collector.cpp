// The only translation unit of the analytics tests that includes the HTTP server library (it is heavy to
// compile).
#include "tests/analytics/local_collector.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>

#include "tests/support/child_process.h"

namespace analyticstest {

struct CLocalCollector::Impl {
    httplib::Server server;
    mutable std::mutex lock;
    std::map<std::string, std::pair<int, std::string>> statuses;
    std::vector<Request> requests;
};

CLocalCollector::CLocalCollector() : impl_(std::make_unique<Impl>()) {
    // Read through a content reader: the library refuses form bodies above 8 KiB when it reads them itself.
    impl_->server.Post(".*", [this](const httplib::Request& request, httplib::Response& response,
                                    const httplib::ContentReader& content_reader) {
        Request recorded;
        content_reader([&recorded](const char* data, size_t length) {
            recorded.body.append(data, length);
            return true;
        });
        recorded.path = request.path;
        size_t question = request.target.find('?');
        if (question != std::string::npos) recorded.query = request.target.substr(question + 1);
        for (const auto& [name, value] : request.headers) {
            std::string lower = name;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            recorded.headers[lower] = value;
        }
        std::lock_guard<std::mutex> guard(impl_->lock);
        impl_->requests.push_back(std::move(recorded));
        auto found = impl_->statuses.find(request.path);
        int status = found == impl_->statuses.end() ? 200 : found->second.first;
        response.status = status;
        if (found != impl_->statuses.end() && !found->second.second.empty()) {
            response.set_header("Location", found->second.second);
        }
        response.set_content(status == 200 ? "ok" : "refused " + std::to_string(status), "text/plain");
    });
    impl_->server.set_payload_max_length(64 * 1024 * 1024);
    port_ = impl_->server.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { impl_->server.listen_after_bind(); });
    testsupport::WaitUntil([this] { return impl_->server.is_running(); });
}

CLocalCollector::~CLocalCollector() {
    impl_->server.stop();
    thread_.join();
}

std::string CLocalCollector::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void CLocalCollector::SetStatus(const std::string& path, int status, const std::string& location) {
    std::lock_guard<std::mutex> guard(impl_->lock);
    impl_->statuses[path] = {status, location};
}

std::vector<CLocalCollector::Request> CLocalCollector::Requests() const {
    std::lock_guard<std::mutex> guard(impl_->lock);
    return impl_->requests;
}

}  // namespace analyticstest
