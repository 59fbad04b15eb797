// The only translation unit of the tests that includes the HTTP server library (it is heavy to compile).
#include "tests/downloader/fault_server.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <regex>

#include "tests/downloader/nginx_server.h"
#include "tests/downloader/test_support.h"

namespace ixo_test {

struct FaultServer::Impl {
    httplib::Server server;
    std::thread thread;
    FaultScript script;
    std::mutex lock;
    std::condition_variable released_signal;
    bool released = false;
    int range_requests = 0;
    std::vector<std::string> ranges;
};

FaultServer::FaultServer() : impl_(std::make_unique<Impl>()) {}

FaultServer::~FaultServer() {
    Stop();
}

int FaultServer::Start(const FaultScript& script, const std::string& address, int port) {
    Impl& impl = *impl_;
    impl.script = script;
    impl.server.new_task_queue = [] { return new httplib::ThreadPool(64); };
    impl.server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        Impl& impl = *impl_;
        std::string range = request.get_header_value("Range");
        int number = 0;
        {
            std::lock_guard<std::mutex> hold(impl.lock);
            if (request.method == "GET") {
                impl.ranges.push_back(range);
                if (!range.empty()) number = impl.range_requests++;
            }
        }
        const std::string& body = impl.script.body;
        if (impl.script.refuse_closed_ranges) {
            if (std::regex_match(range, std::regex("bytes=[0-9]+-[0-9]+"))) {
                response.status = 416;
                return;
            }
            response.status = 200;
        }
        bool drop = !range.empty() && request.method == "GET" && number < impl.script.drop_first_requests;
        bool stall = !range.empty() && request.method == "GET" && !drop &&
                     number - impl.script.drop_first_requests < impl.script.stall_first_requests;
        response.set_content_provider(
            body.size(), "application/octet-stream",
            [this, drop, stall, sent = int64_t(0)](size_t offset, size_t length,
                                                   httplib::DataSink& sink) mutable {
                Impl& impl = *impl_;
                const std::string& body = impl.script.body;
                int64_t limit = drop ? impl.script.drop_after : stall ? impl.script.stall_after : INT64_MAX;
                if (sent >= limit) {
                    if (drop) return false;
                    // Stalled: nothing more until released; a client that went away ends the wait too.
                    ++stalled_now_;
                    std::unique_lock<std::mutex> hold(impl.lock);
                    while (!impl.released && sink.is_writable()) {
                        impl.released_signal.wait_for(hold, std::chrono::milliseconds(50));
                    }
                    --stalled_now_;
                    limit = INT64_MAX;
                    if (!impl.released) return false;
                }
                size_t count = std::min<size_t>(length, size_t(std::min<int64_t>(64 * 1024, limit - sent)));
                sink.write(body.data() + offset, count);
                sent += int64_t(count);
                return true;
            });
    });
    int bound = port == 0 ? impl.server.bind_to_any_port(address)
                          : (impl.server.bind_to_port(address, port) ? port : -1);
    if (bound <= 0) return 0;
    impl.thread = std::thread([&impl] { impl.server.listen_after_bind(); });
    WaitUntil([&] { return impl.server.is_running(); }, std::chrono::seconds(10));
    return bound;
}

void FaultServer::Stop() {
    Impl& impl = *impl_;
    ReleaseStalls();
    impl.server.stop();
    if (impl.thread.joinable()) impl.thread.join();
}

void FaultServer::ReleaseStalls() {
    Impl& impl = *impl_;
    std::lock_guard<std::mutex> hold(impl.lock);
    impl.released = true;
    impl.released_signal.notify_all();
}

std::vector<std::string> FaultServer::Ranges() {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->ranges;
}

int FreeLoopbackPort() {
    // The library closes its socket only when a listening server stops.
    httplib::Server probe;
    int port = probe.bind_to_any_port("127.0.0.1");
    if (port <= 0) return 0;
    std::thread listener([&probe] { probe.listen_after_bind(); });
    WaitUntil([&] { return probe.is_running(); }, std::chrono::seconds(10));
    probe.stop();
    listener.join();
    return port;
}

bool Accepts(const std::string& address, int port) {
    httplib::Client client(address, port);
    client.set_connection_timeout(std::chrono::milliseconds(200));
    // Any answer, even an error status or a TLS failure after the connection, means something listens.
    auto result = client.Head("/");
    return result || result.error() != httplib::Error::Connection;
}

}  // namespace ixo_test
