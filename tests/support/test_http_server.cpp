// The only translation unit that includes the HTTP server library's header: it is costly to compile.
#include "tests/support/test_http_server.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "tests/support/test_ca.h"
#include "tools/maker-sim/whole_request.h"

namespace test_support {
namespace {

constexpr auto kLongestStall = std::chrono::seconds(60);

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

std::string TestRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (SameText(key, name)) return value;
    }
    return {};
}

struct TestHttpServer::State {
    TestTls tls;
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int port = 0;
    std::map<std::pair<std::string, std::string>, Handler> handlers;

    mutable std::mutex lock;
    std::condition_variable released_signal;
    bool released = false;              // guarded by lock
    std::vector<TestRequest> requests;  // guarded by lock

    void Serve(const httplib::Request& in, httplib::Response& out);
    void WaitUntilReleased() {
        std::unique_lock guard(lock);
        released_signal.wait_for(guard, kLongestStall, [this] { return released; });
    }
};

void TestHttpServer::State::Serve(const httplib::Request& in, httplib::Response& out) {
    TestRequest request;
    request.method = in.method;
    request.path = in.path;
    request.version = in.version;
    request.body = in.body;
    for (const auto& [key, value] : in.headers) request.headers.emplace_back(key, value);
    for (const auto& [key, file] : in.files)
        request.form_files.push_back({file.name, file.filename, file.content_type, file.content});
    {
        std::lock_guard guard(lock);
        requests.push_back(request);
    }

    auto found = handlers.find({request.method, request.path});
    if (found == handlers.end() && request.method == "HEAD") found = handlers.find({"GET", request.path});
    if (found == handlers.end()) {
        out.status = 404;
        out.set_content("not found", "text/plain");
        return;
    }
    TestResponse response = found->second(request);
    out.status = response.status;
    for (const auto& [key, value] : response.headers) out.set_header(key, value);
    auto body = std::make_shared<std::string>(std::move(response.body));
    switch (response.delivery) {
        case TestResponse::Delivery::kWhole:
            out.set_content(*body, response.content_type);
            break;
        case TestResponse::Delivery::kChunked:
            out.set_chunked_content_provider(response.content_type, [body](size_t, httplib::DataSink& sink) {
                if (!body->empty()) sink.write(body->data(), body->size());
                sink.done();
                return true;
            });
            break;
        case TestResponse::Delivery::kStall: {
            auto provider = [this, body](size_t offset, httplib::DataSink& sink) {
                if (offset == 0 && !body->empty()) sink.write(body->data(), body->size());
                WaitUntilReleased();
                return false;  // ends the connection without completing the answer
            };
            if (response.stall_length >= 0) {
                out.set_content_provider(size_t(response.stall_length), response.content_type,
                                         [provider](size_t offset, size_t, httplib::DataSink& sink) {
                                             return provider(offset, sink);
                                         });
            } else {
                out.set_chunked_content_provider(response.content_type, provider);
            }
            break;
        }
    }
}

TestHttpServer::TestHttpServer(TestTls tls) : state_(std::make_unique<State>()) {
    state_->tls = tls;
    switch (tls) {
        case TestTls::kNone:
            state_->server = std::make_unique<httplib::Server>();
            break;
        case TestTls::kTrusted:
            state_->server = std::make_unique<httplib::SSLServer>(TestCaFile("server.pem").c_str(),
                                                                  TestCaFile("server.key").c_str());
            break;
        case TestTls::kUntrusted:
            state_->server = std::make_unique<httplib::SSLServer>(TestCaFile("untrusted.pem").c_str(),
                                                                  TestCaFile("untrusted.key").c_str());
            break;
        case TestTls::kOtherHost:
            state_->server = std::make_unique<httplib::SSLServer>(TestCaFile("other-host.pem").c_str(),
                                                                  TestCaFile("other-host.key").c_str());
            break;
    }
}

TestHttpServer::~TestHttpServer() {
    Stop();
}

void TestHttpServer::On(const std::string& method, const std::string& path, Handler handler) {
    state_->handlers[{method, path}] = std::move(handler);
}

bool TestHttpServer::Start(const std::string& address) {
    httplib::Server& server = *state_->server;
    if (!server.is_valid()) return false;
    State* state = state_.get();
    auto serve = [state](const httplib::Request& in, httplib::Response& out) { state->Serve(in, out); };
    server.Get(".*", serve);
    server.Post(".*", [state](const httplib::Request& in, httplib::Response& out,
                              const httplib::ContentReader& reader) {
        state->Serve(makersim::ReadWholeRequest(in, reader), out);
    });
    server.Put(".*", serve);
    server.Delete(".*", serve);
    state_->port = server.bind_to_any_port(address);
    if (state_->port <= 0) return false;
    state_->thread = std::thread([&server] { server.listen_after_bind(); });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!server.is_running()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void TestHttpServer::Stop() {
    {
        std::lock_guard guard(state_->lock);
        state_->released = true;
    }
    state_->released_signal.notify_all();
    if (state_->thread.joinable()) {
        state_->server->stop();
        state_->thread.join();
    }
}

int TestHttpServer::Port() const {
    return state_->port;
}

std::string TestHttpServer::BaseUrl(const std::string& host) const {
    return std::string(state_->tls == TestTls::kNone ? "http://" : "https://") + host + ":" +
           std::to_string(state_->port);
}

std::vector<TestRequest> TestHttpServer::Requests() const {
    std::lock_guard guard(state_->lock);
    return state_->requests;
}

}  // namespace test_support
