// A small scriptable HTTP(S) server on loopback for tests of the program's requests: each test says what
// every path answers and how the answer is delivered, and reads back what the server received.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

struct TestFormFile {
    std::string name;  // the part's field name
    std::string filename;
    std::string content_type;
    std::string content;
};

struct TestRequest {
    std::string method;   // "GET", "HEAD", "POST" ...
    std::string path;     // without the query
    std::string version;  // "HTTP/1.1", "HTTP/1.0"
    std::string body;     // empty for multipart forms, whose parts are in form_files
    std::vector<std::pair<std::string, std::string>> headers;
    std::vector<TestFormFile> form_files;

    // The first header of that name (compared without case), or "".
    std::string Header(const std::string& name) const;
};

struct TestResponse {
    enum class Delivery {
        kWhole,    // the body with a Content-Length
        kChunked,  // the body in chunks, without a Content-Length
        kStall,    // the body, then nothing more until the server stops: for time-outs
    };

    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string content_type = "text/plain";
    Delivery delivery = Delivery::kWhole;
    int64_t stall_length = -1;  // kStall: the Content-Length to announce; -1 sends chunks without one
};

enum class TestTls {
    kNone,
    kTrusted,    // the test authority's certificate for localhost and 127.0.0.1
    kUntrusted,  // a certificate for the same names from an authority nobody trusts
    kOtherHost,  // the test authority's certificate for another host name
};

class TestHttpServer {
public:
    using Handler = std::function<TestResponse(const TestRequest&)>;

    explicit TestHttpServer(TestTls tls = TestTls::kNone);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    // Answers `method` requests for exactly `path`; a HEAD without its own handler gets the GET handler's
    // answer without the body. Other requests get 404. Call before Start.
    void On(const std::string& method, const std::string& path, Handler handler);

    // Listens on `address` at a port from the kernel and serves on a thread of its own; returns when the
    // server accepts connections, false when it could not start. Its listen queue holds five connections:
    // more clients at once wait a second for the kernel to retry.
    bool Start(const std::string& address = "127.0.0.1");

    // Releases stalled answers, closes the listener and waits for the serving thread.
    void Stop();

    int Port() const;
    // "<scheme>://<host>:<port>", without a trailing slash.
    std::string BaseUrl(const std::string& host = "127.0.0.1") const;

    // Every request received so far, in the order of arrival.
    std::vector<TestRequest> Requests() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace test_support
