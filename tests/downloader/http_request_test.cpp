#include "downloader/http_request.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "formats/utf_conversion.h"
#include "tests/support/log_capture.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_ca.h"
#include "tests/support/test_http_server.h"

namespace {

using namespace std::chrono_literals;
using ns_IXD::HttpFormPost;
using ns_IXD::HttpRequest;
using ns_IXD::kHttpGet;
using ns_IXD::kHttpHead;
using ns_IXD::kHttpPost;
using ns_IXD::ProbeContentLength;
using test_support::LogCapture;
using test_support::NginxOptions;
using test_support::NginxServer;
using test_support::TempFolder;
using test_support::TestHttpServer;
using test_support::TestRequest;
using test_support::TestResponse;
using test_support::TestTls;

constexpr char kPerformFailed[] = "[ERROR] curl request, curl easy perform failed, code=[";

TestResponse Answer(std::string body, int status = 200) {
    TestResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

TestResponse Redirect(const std::string& location, int status = 302) {
    TestResponse response = Answer("moved", status);
    response.headers.emplace_back("Location", location);
    return response;
}

TestResponse Chunked(std::string body) {
    TestResponse response = Answer(std::move(body));
    response.delivery = TestResponse::Delivery::kChunked;
    return response;
}

// Letters only, so that no "\r\n" removal can change it.
std::string Letters(size_t size) {
    std::string text;
    for (size_t i = 0; i < size; ++i) text += char('a' + (i * 7 + i / 26) % 26);
    return text;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::string Get(const std::string& url, int& error, bool with_headers = false,
                const std::vector<std::string>& headers = {}) {
    return HttpRequest(kHttpGet, Utf8ToUtf16(url), headers, false, with_headers, "", error);
}

class HttpRequestTest : public ::testing::Test {
protected:
    // The log is opened before any server starts.
    void SetUp() override { log_ = std::make_unique<LogCapture>(); }
    void TearDown() override { ns_IXD::SetRequestTimeLimitsForTesting(0ms, 0ms); }

    // The plain server and, when this build trusts the test authority, the TLS one.
    static std::vector<TestTls> ServerKinds() {
        if (test_support::BuildTrustsTestCa()) return {TestTls::kNone, TestTls::kTrusted};
        return {TestTls::kNone};
    }

    std::unique_ptr<LogCapture> log_;
};

TEST_F(HttpRequestTest, AnswerBodyLosesItsCrLfPairsButNotLoneBreaks) {
    for (TestTls tls : ServerKinds()) {
        TestHttpServer server(tls);
        server.On("GET", "/text",
                  [](const TestRequest&) { return Answer("one\r\ntwo\nthree\r\n\r\rend\r"); });
        ASSERT_TRUE(server.Start());
        int error = -1;
        EXPECT_EQ(Get(server.BaseUrl() + "/text", error), "onetwo\nthree\r\rend\r") << server.BaseUrl();
        EXPECT_EQ(error, 0);
    }
    EXPECT_EQ(log_->NewText(), "");
}

TEST_F(HttpRequestTest, WithHeadersTheAnswerStartsWithTheHeadersOfEveryResponseOfARedirectChain) {
    for (TestTls tls : ServerKinds()) {
        TestHttpServer server(tls);
        server.On("GET", "/start", [](const TestRequest&) { return Redirect("/middle"); });
        server.On("GET", "/middle", [](const TestRequest&) { return Redirect("/end", 301); });
        server.On("GET", "/end", [](const TestRequest&) { return Answer("done\r\n"); });
        ASSERT_TRUE(server.Start());
        int error = -1;
        std::string answer = Get(server.BaseUrl() + "/start", error, true);
        EXPECT_EQ(error, 0);
        EXPECT_EQ(answer.rfind("HTTP/1.1 302 Found\r\n", 0), 0u) << answer;
        EXPECT_NE(answer.find("Location: /middle\r\n"), std::string::npos) << answer;
        EXPECT_NE(answer.find("\r\nHTTP/1.1 301 Moved Permanently\r\n"), std::string::npos) << answer;
        EXPECT_NE(answer.find("\r\nHTTP/1.1 200 OK\r\n"), std::string::npos) << answer;
        EXPECT_EQ(Count(answer, "HTTP/1.1 "), 3u);
        // The header text keeps its line ends; only the body loses them.
        EXPECT_EQ(answer.substr(answer.size() - 8), "\r\n\r\ndone");
        ASSERT_EQ(server.Requests().size(), 3u);
        EXPECT_EQ(server.Requests()[2].path, "/end");
    }
}

TEST_F(HttpRequestTest, PostSendsTheWholeBodyAndTheHeaderLinesAsGiven) {
    const std::string body("{\"a\":1}\0tail\r\n", 14);
    for (bool http10 : {false, true}) {
        TestHttpServer server;
        server.On("POST", "/api", [](const TestRequest& request) {
            return Answer("got " + std::to_string(request.body.size()) + "\r\n");
        });
        ASSERT_TRUE(server.Start());
        int error = -1;
        std::string answer =
            HttpRequest(kHttpPost, Utf8ToUtf16(server.BaseUrl() + "/api"),
                        {"Content-Type: application/json", "X-Client-Sn: {abc}"}, http10, false, body, error);
        EXPECT_EQ(answer, "got 14");
        EXPECT_EQ(error, 0);
        ASSERT_EQ(server.Requests().size(), 1u);
        const TestRequest request = server.Requests()[0];
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.version, http10 ? "HTTP/1.0" : "HTTP/1.1");
        EXPECT_EQ(request.body, body);
        EXPECT_EQ(request.Header("Content-Type"), "application/json");
        EXPECT_EQ(request.Header("X-Client-Sn"), "{abc}");
    }
}

TEST_F(HttpRequestTest, HeadFetchesNoBodyAndUnknownMethodsSendAGet) {
    TestHttpServer server;
    server.On("GET", "/file", [](const TestRequest&) { return Answer("body"); });
    ASSERT_TRUE(server.Start());
    const std::u16string url = Utf8ToUtf16(server.BaseUrl() + "/file");
    int error = -1;
    EXPECT_EQ(HttpRequest(kHttpHead, url, {}, false, false, "", error), "");
    EXPECT_EQ(error, 0);
    std::string with_headers = HttpRequest(kHttpHead, url, {}, false, true, "", error);
    EXPECT_NE(with_headers.find("Content-Length: 4\r\n"), std::string::npos) << with_headers;
    EXPECT_EQ(with_headers.substr(with_headers.size() - 4), "\r\n\r\n");
    EXPECT_EQ(HttpRequest(7, url, {}, false, false, "ignored", error), "body");
    std::vector<TestRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "HEAD");
    EXPECT_EQ(requests[2].method, "GET");
    EXPECT_EQ(requests[2].body, "");
}

TEST_F(HttpRequestTest, ErrorStatusesAreAnswersNotFailures) {
    TestHttpServer server;
    server.On("GET", "/broken", [](const TestRequest&) { return Answer("{\"code\":500}", 500); });
    ASSERT_TRUE(server.Start());
    int error = -1;
    EXPECT_EQ(Get(server.BaseUrl() + "/broken", error), "{\"code\":500}");
    EXPECT_EQ(Get(server.BaseUrl() + "/missing", error), "not found");
    EXPECT_EQ(error, 0);
    EXPECT_EQ(log_->NewText(), "");
}

TEST_F(HttpRequestTest, TransferFailuresAreReportedWithTheLibraryCodeAndLogged) {
    std::string refused_url;
    {
        TestHttpServer gone;
        ASSERT_TRUE(gone.Start());
        refused_url = gone.BaseUrl() + "/x";
    }
    struct FailureCase {
        std::string url;
        int error;
    };
    const FailureCase cases[] = {
        {refused_url, 7},               // could not connect
        {"ftp://127.0.0.1:1/file", 1},  // only http and https are spoken
        {"file:///etc/hostname", 1},
    };
    for (const FailureCase& c : cases) {
        LogCapture log;
        int error = -1;
        EXPECT_EQ(Get(c.url, error), "") << c.url;
        EXPECT_EQ(error, c.error) << c.url;
        EXPECT_NE(log.NewText().find(kPerformFailed + std::to_string(c.error) + "]."), std::string::npos)
            << log.NewText();
    }
}

TEST_F(HttpRequestTest, ATimeOutKeepsWhatArrivedBeforeIt) {
    ns_IXD::SetRequestTimeLimitsForTesting(5s, 500ms);
    TestHttpServer server;
    server.On("GET", "/slow", [](const TestRequest&) {
        TestResponse response = Answer("partial\r\nanswer");
        response.delivery = TestResponse::Delivery::kStall;
        return response;
    });
    ASSERT_TRUE(server.Start());
    int error = -1;
    EXPECT_EQ(Get(server.BaseUrl() + "/slow", error), "partialanswer");
    EXPECT_EQ(error, 28);
    EXPECT_NE(log_->NewText().find("[ERROR] curl request, curl easy perform failed, code=[28]."),
              std::string::npos)
        << log_->NewText();
}

TEST_F(HttpRequestTest, HttpsServersThatCannotProveTheirNameAreRefused) {
    struct RefusalCase {
        const char* what;
        TestTls tls;
        const char* host;
    };
    const RefusalCase cases[] = {
        {"unknown authority, by name", TestTls::kUntrusted, "localhost"},
        {"unknown authority, by address", TestTls::kUntrusted, "127.0.0.1"},
        {"certificate for another host", TestTls::kOtherHost, "localhost"},
        {"certificate for another host, by address", TestTls::kOtherHost, "127.0.0.1"},
    };
    TempFolder folder;
    const std::string upload = folder.Write("report.txt", "secret");
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server(c.tls);
        server.On("GET", "/config", [](const TestRequest&) { return Answer("forged"); });
        server.On("POST", "/upload", [](const TestRequest&) { return Answer("stolen"); });
        ASSERT_TRUE(server.Start());
        const std::string base = server.BaseUrl(c.host);

        int error = -1;
        EXPECT_EQ(Get(base + "/config", error), "");
        EXPECT_EQ(error, 60);
        error = -1;
        EXPECT_EQ(HttpFormPost(base + "/upload", {}, upload, error), "");
        EXPECT_EQ(error, 60);
        EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(base + "/config")), 0);

        // A plain address that sends the request on to such a server does not help.
        TestHttpServer redirector;
        redirector.On("GET", "/start", [&](const TestRequest&) { return Redirect(base + "/config"); });
        ASSERT_TRUE(redirector.Start());
        error = -1;
        EXPECT_EQ(Get(redirector.BaseUrl() + "/start", error), "");
        EXPECT_EQ(error, 60);

        EXPECT_TRUE(server.Requests().empty());
    }
}

TEST_F(HttpRequestTest, HttpsServersOfTheProfilesAuthorityAreReachedByNameAndAddress) {
    if (!test_support::BuildTrustsTestCa()) GTEST_SKIP() << "this build's profile does not trust the test CA";
    TestHttpServer server(TestTls::kTrusted);
    server.On("GET", "/config", [](const TestRequest&) { return Answer("{\"code\":0}"); });
    ASSERT_TRUE(server.Start());
    for (const char* host : {"localhost", "127.0.0.1"}) {
        int error = -1;
        EXPECT_EQ(Get(server.BaseUrl(host) + "/config", error), "{\"code\":0}") << host;
        EXPECT_EQ(error, 0) << host;
    }
}

TEST_F(HttpRequestTest, FormPostSendsTheFileAsOnePartNamedFile) {
    TempFolder folder;
    struct UploadCase {
        std::string name;
        std::string content_type;
    };
    const UploadCase uploads[] = {{"report.txt", "text/plain"}, {"kxIXO.log", "application/octet-stream"}};
    for (TestTls tls : ServerKinds()) {
        for (const UploadCase& upload : uploads) {
            std::string content = "line one\r\nline two\n\x01\x02";
            std::string path = folder.Write(upload.name, content);
            TestHttpServer server(tls);
            server.On("POST", "/logs",
                      [](const TestRequest&) { return Answer("{\"code\":0,\r\n\"msg\":\"ok\"}"); });
            ASSERT_TRUE(server.Start());
            int error = -1;
            EXPECT_EQ(HttpFormPost(server.BaseUrl() + "/logs", {"X-Token: t0k"}, path, error),
                      "{\"code\":0,\"msg\":\"ok\"}");
            EXPECT_EQ(error, 0);
            ASSERT_EQ(server.Requests().size(), 1u);
            const TestRequest request = server.Requests()[0];
            EXPECT_EQ(request.version, "HTTP/1.0");
            EXPECT_EQ(request.Header("X-Token"), "t0k");
            EXPECT_EQ(request.Header("Content-Type").rfind("multipart/form-data; boundary=", 0), 0u);
            ASSERT_EQ(request.form_files.size(), 1u);
            EXPECT_EQ(request.form_files[0].name, "file");
            EXPECT_EQ(request.form_files[0].filename, upload.name);
            EXPECT_EQ(request.form_files[0].content_type, upload.content_type);
            EXPECT_EQ(request.form_files[0].content, content);
        }
    }
}

TEST_F(HttpRequestTest, FormPostOfAFileThatCannotBeReadSendsNothing) {
    TestHttpServer server;
    server.On("POST", "/logs", [](const TestRequest&) { return Answer("ok"); });
    ASSERT_TRUE(server.Start());
    TempFolder folder;
    int error = -1;
    EXPECT_EQ(HttpFormPost(server.BaseUrl() + "/logs", {}, folder.Path() + "missing.log", error), "");
    EXPECT_EQ(error, 26);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_NE(log_->NewText().find("[ERROR] curl form data request, curl easy perform failed, code=[26]."),
              std::string::npos)
        << log_->NewText();
}

TEST_F(HttpRequestTest, NginxServesWholeFilesRangesAndTheirLengths) {
    TempFolder root;
    const std::string content = Letters(300007);
    root.Write("packages/product.bin", content);
    std::vector<bool> tls_kinds = {false};
    if (test_support::BuildTrustsTestCa()) tls_kinds.push_back(true);
    for (bool tls : tls_kinds) {
        NginxServer nginx;
        // HTTP/2 is offered over TLS: the requests must still read HTTP/1.1 headers.
        ASSERT_TRUE(nginx.Start(NginxOptions{.root = root.Path(), .tls = tls})) << nginx.ErrorLog();
        const std::string url = nginx.BaseUrl() + "/packages/product.bin";
        SCOPED_TRACE(url);

        EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(url)), int64_t(content.size()));
        int error = -1;
        EXPECT_EQ(Get(url, error), content);
        EXPECT_EQ(error, 0);
        std::string answer = Get(url, error, true, {"Range: bytes=100-199"});
        EXPECT_EQ(error, 0);
        EXPECT_EQ(answer.rfind("HTTP/1.1 206 Partial Content\r\n", 0), 0u) << answer.substr(0, 200);
        EXPECT_NE(answer.find("Content-Range: bytes 100-199/300007\r\n"), std::string::npos);
        EXPECT_EQ(answer.substr(answer.size() - 100), content.substr(100, 100));
    }
}

TEST_F(HttpRequestTest, ProbeAsksWithGetWhenHeadAnnouncesNoLength) {
    TestHttpServer server;
    server.On("HEAD", "/package", [](const TestRequest&) { return Chunked("xx"); });
    server.On("GET", "/package", [](const TestRequest&) { return Answer(Letters(4321)); });
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(server.BaseUrl() + "/package")), 4321);
    std::vector<TestRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "HEAD");
    EXPECT_EQ(requests[1].method, "GET");
    for (const TestRequest& request : requests) {
        EXPECT_EQ(request.Header("Connection"), "close");
        EXPECT_EQ(request.Header("Cache-Control"), "no-cache");
        EXPECT_EQ(request.Header("Pragma"), "no-cache");
    }
}

TEST_F(HttpRequestTest, ProbeTakesTheLengthOfTheLastResponseOfARedirectChain) {
    TestHttpServer server;
    server.On("GET", "/download", [](const TestRequest&) { return Redirect("/mirror/package"); });
    server.On("GET", "/mirror/package", [](const TestRequest&) { return Answer(Letters(2048)); });
    // The same chain where only the GET answers tell a length: the redirect's own body does not end the GET.
    server.On("HEAD", "/download-get", [](const TestRequest&) { return Chunked(""); });
    server.On("GET", "/download-get", [](const TestRequest&) { return Redirect("/mirror/package-get"); });
    server.On("HEAD", "/mirror/package-get", [](const TestRequest&) { return Chunked(""); });
    server.On("GET", "/mirror/package-get", [](const TestRequest&) { return Answer(Letters(3072)); });
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(server.BaseUrl() + "/download")), 2048);
    EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(server.BaseUrl() + "/download-get")), 3072);
}

TEST_F(HttpRequestTest, ProbeGivesZeroWhenNoAnswerAnnouncesALength) {
    TestHttpServer server;
    server.On("GET", "/stream", [](const TestRequest&) { return Chunked("endless"); });
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(server.BaseUrl() + "/stream")), 0);
    EXPECT_EQ(server.Requests().size(), 2u);
    server.Stop();
    EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(server.BaseUrl() + "/stream")), 0);
}

TEST_F(HttpRequestTest, ProbeEndsItsGetOnceTheHeadersAreIn) {
    // Were the body read, the probe would wait for the time limit and log a time-out.
    ns_IXD::SetRequestTimeLimitsForTesting(5s, 3s);
    TestHttpServer server;
    server.On("HEAD", "/huge", [](const TestRequest&) { return Chunked(""); });
    server.On("GET", "/huge", [](const TestRequest&) {
        TestResponse response = Answer(Letters(1000));
        response.delivery = TestResponse::Delivery::kStall;
        response.stall_length = 3000000000;
        return response;
    });
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(server.BaseUrl() + "/huge")), 3000000000);
    EXPECT_EQ(log_->NewText(), "");
}

TEST_F(HttpRequestTest, PinnedProbeConnectsToTheAddressAndChecksTheCertificateAgainstTheHostName) {
    if (!test_support::BuildTrustsTestCa()) GTEST_SKIP() << "this build's profile does not trust the test CA";
    // Servers on 127.0.0.2 only: "localhost" resolves to 127.0.0.1, where nobody listens on their ports.
    TempFolder root;
    root.Write("product.bin", Letters(777));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start(NginxOptions{.root = root.Path(), .address = "127.0.0.2", .tls = true}))
        << nginx.ErrorLog();
    const std::string by_name = "https://localhost:" + std::to_string(nginx.Port()) + "/product.bin";
    EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(by_name), "127.0.0.2"), 777);

    TestHttpServer trusted(TestTls::kTrusted);
    trusted.On("GET", "/product.bin", [](const TestRequest&) { return Answer(Letters(55)); });
    ASSERT_TRUE(trusted.Start("127.0.0.2"));
    EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(trusted.BaseUrl("localhost") + "/product.bin"), "127.0.0.2"),
              55);
    ASSERT_EQ(trusted.Requests().size(), 1u);
    EXPECT_EQ(trusted.Requests()[0].Header("Host"), "localhost:" + std::to_string(trusted.Port()));

    // The address is only where to connect: the server must still prove the URL's host name.
    TestHttpServer impostor(TestTls::kOtherHost);
    impostor.On("GET", "/product.bin", [](const TestRequest&) { return Answer(Letters(66)); });
    ASSERT_TRUE(impostor.Start("127.0.0.2"));
    EXPECT_EQ(ProbeContentLength(Utf8ToUtf16(impostor.BaseUrl("localhost") + "/product.bin"), "127.0.0.2"),
              0);
    EXPECT_TRUE(impostor.Requests().empty());
}

TEST_F(HttpRequestTest, ManyThreadsRequestAtOnce) {
    TestHttpServer server;
    server.On("GET", "/n", [](const TestRequest&) { return Answer("n\r\n"); });
    ASSERT_TRUE(server.Start());
    std::atomic<int> right{0};
    std::vector<std::thread> threads;
    // Four at a time: the test server's listen queue holds five.
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10; ++i) {
                int error = -1;
                if (Get(server.BaseUrl() + "/n", error) == "n" && error == 0) ++right;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(right.load(), 40);
}

}  // namespace
