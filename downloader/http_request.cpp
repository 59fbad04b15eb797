#include "downloader/http_request.h"

#include <curl/curl.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <optional>

#include "downloader/curl_global.h"
#include "formats/utf_conversion.h"
#include "system/deployment_profile.h"
#include "system/simple_log.h"

namespace ns_IXD {
namespace {

constexpr long kConnectLimitMs = 5000;
constexpr long kTotalLimitMs = 10000;

std::atomic<long> g_connect_limit_ms{kConnectLimitMs};
std::atomic<long> g_total_limit_ms{kTotalLimitMs};

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using Curl = std::unique_ptr<CURL, CurlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

// Where the write callback puts the body.
struct BodySink {
    std::string text;
    bool headers_only = false;  // end the transfer when the body begins
    bool stopped = false;       // it was ended that way
};

size_t AppendHeader(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t AppendBody(char* data, size_t size, size_t count, void* target) {
    auto* sink = static_cast<BodySink*>(target);
    if (sink->headers_only) {
        sink->stopped = true;
        return 0;  // the library then ends the transfer with a write error
    }
    sink->text.append(data, size * count);
    return size * count;
}

HeaderList MakeHeaderList(const std::vector<std::string>& lines) {
    curl_slist* list = nullptr;
    for (const std::string& line : lines) {
        curl_slist* longer = curl_slist_append(list, line.c_str());
        if (!longer) break;  // out of memory: send what fits
        list = longer;
    }
    return HeaderList(list);
}

// The options every request shares: redirects, the body sink, IPv4, time limits, no signals, HTTP(S) only,
// and certificate checks against the profile's authorities.
void SetCommonOptions(CURL* curl, BodySink* sink) {
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, sink);
    curl_easy_setopt(curl, CURLOPT_IPRESOLVE, CURL_IPRESOLVE_V4);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, g_connect_limit_ms.load());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, g_total_limit_ms.load());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Configurations and tokens come over these requests: a server must prove it is the host that was asked.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    const std::string& authorities = GetDeploymentProfile().ca_bundle;
    if (!authorities.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, authorities.c_str());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
}

void RemoveCrLf(std::string& text) {
    size_t kept = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            continue;
        }
        text[kept++] = text[i];
    }
    text.resize(kept);
}

// "host:port:address" for the URL's host and port (the scheme's port when the URL names none); empty when the
// URL cannot be parsed.
std::string ResolvePin(const std::string& url, const std::string& address) {
    std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return {};
    char* host = nullptr;
    char* port = nullptr;
    std::string pin;
    if (curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl_url_get(parsed.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
        pin = std::string(host) + ":" + port + ":" + address;
    }
    curl_free(host);
    curl_free(port);
    return pin;
}

struct Request {
    int method = kHttpGet;
    std::string url;
    const std::vector<std::string>* headers = nullptr;
    bool http10 = false;
    bool with_headers = false;
    const std::string* body = nullptr;
    std::string address;        // connect here instead of resolving the URL's host
    bool headers_only = false;  // a GET that ends when the body begins
};

std::string Perform(const Request& request, int& error) {
    EnsureCurlInitialised();
    Curl curl(curl_easy_init());
    if (!curl) {
        WriteLog(kLogError, "[ERROR] curl request, curl init failed!");
        return {};
    }
    HeaderList header_list = MakeHeaderList(*request.headers);
    std::string header_text;
    BodySink sink;
    sink.headers_only = request.headers_only;
    HeaderList pins;

    // HTTP 1.x keeps header names as servers send them, which header readers here rely on.
    curl_easy_setopt(curl.get(), CURLOPT_HTTP_VERSION,
                     request.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    if (request.with_headers) {
        curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, AppendHeader);
        curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &header_text);
    }
    if (request.method == kHttpHead) {
        curl_easy_setopt(curl.get(), CURLOPT_NOBODY, 1L);
    } else if (request.method == kHttpPost) {
        curl_easy_setopt(curl.get(), CURLOPT_POST, 1L);
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body->size()));
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, request.body->data());
    }
    if (!request.address.empty()) {
        std::string pin = ResolvePin(request.url, request.address);
        if (!pin.empty()) {
            pins.reset(curl_slist_append(nullptr, pin.c_str()));
            curl_easy_setopt(curl.get(), CURLOPT_RESOLVE, pins.get());
        }
    }
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, header_list.get());
    curl_easy_setopt(curl.get(), CURLOPT_URL, request.url.c_str());
    SetCommonOptions(curl.get(), &sink);

    CURLcode result = curl_easy_perform(curl.get());
    if (result == CURLE_WRITE_ERROR && sink.stopped) result = CURLE_OK;
    error = int(result);
    if (result != CURLE_OK) {
        WriteLog(kLogError, "[ERROR] curl request, curl easy perform failed, code=[%d].", int(result));
    } else {
        long status = 0;
        CURLcode read = curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
        if (read != CURLE_OK) {
            error = int(read);
            WriteLog(kLogError, "[ERROR] curl request, curl easy getinfo failed, code=[%d].", int(read));
        }
    }
    RemoveCrLf(sink.text);
    return header_text + sink.text;
}

// The number after the last "Content-Length:" of a header text, blanks removed; nullopt when there is no such
// header line. Anything but a decimal number counts as 0.
std::optional<int64_t> AnnouncedLength(const std::string& headers) {
    static const std::string kName = "Content-Length:";
    size_t start = headers.rfind(kName);
    if (start == std::string::npos) return std::nullopt;
    size_t end = headers.find("\r\n", start);
    if (end == std::string::npos) return std::nullopt;
    std::string digits;
    for (size_t i = start + kName.size(); i < end; ++i) {
        if (headers[i] != ' ' && headers[i] != '\t') digits += headers[i];
    }
    long long length = std::strtoll(digits.c_str(), nullptr, 10);
    return length > 0 ? int64_t(length) : 0;
}

}  // namespace

std::string HttpRequest(int method, const std::u16string& url, const std::vector<std::string>& headers,
                        bool http10, bool with_headers, const std::string& body, int& error) {
    Request request;
    request.method = method;
    request.url = Utf16ToUtf8(url);
    request.headers = &headers;
    request.http10 = http10;
    request.with_headers = with_headers;
    request.body = &body;
    return Perform(request, error);
}

std::string HttpFormPost(const std::string& url, const std::vector<std::string>& headers,
                         const std::string& file_path, int& error) {
    EnsureCurlInitialised();
    Curl curl(curl_easy_init());
    if (!curl) {
        WriteLog(kLogError, "[ERROR] curl form data request, curl init failed!");
        return {};
    }
    HeaderList header_list = MakeHeaderList(headers);
    std::unique_ptr<curl_mime, MimeDeleter> form(curl_mime_init(curl.get()));
    curl_mimepart* part = form ? curl_mime_addpart(form.get()) : nullptr;
    CURLcode result = part ? curl_mime_name(part, "file") : CURLE_OUT_OF_MEMORY;
    if (result == CURLE_OK) result = curl_mime_filedata(part, file_path.c_str());
    if (result != CURLE_OK) {
        // Sending the form without its file would look like a successful upload.
        error = int(result);
        WriteLog(kLogError, "[ERROR] curl form data request, curl easy perform failed, code=[%d].",
                 int(result));
        return {};
    }

    BodySink sink;
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, header_list.get());
    curl_easy_setopt(curl.get(), CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(curl.get(), CURLOPT_MIMEPOST, form.get());
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    SetCommonOptions(curl.get(), &sink);

    result = curl_easy_perform(curl.get());
    error = int(result);
    if (result != CURLE_OK) {
        WriteLog(kLogError, "[ERROR] curl form data request, curl easy perform failed, code=[%d].",
                 int(result));
    } else {
        long status = 0;
        CURLcode read = curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
        if (read != CURLE_OK) {
            error = int(read);
            WriteLog(kLogError, "[ERROR] curl form data request, curl easy getinfo failed, code=[%d].",
                     int(read));
        }
    }
    RemoveCrLf(sink.text);
    return sink.text;
}

int64_t ProbeContentLength(const std::u16string& url, const std::string& address) {
    const std::vector<std::string> headers = {"connection: close", "Cache-Control: no-cache",
                                              "Pragma: no-cache"};
    const std::string no_body;
    for (int method : {kHttpHead, kHttpGet}) {
        Request request;
        request.method = method;
        request.url = Utf16ToUtf8(url);
        request.headers = &headers;
        request.with_headers = true;
        request.body = &no_body;
        request.address = address;
        // Only the headers count; a whole installer must not be fetched into memory to learn its size.
        request.headers_only = method == kHttpGet;
        int error = 0;
        std::optional<int64_t> length = AnnouncedLength(Perform(request, error));
        if (length) return *length;
    }
    return 0;
}

void SetRequestTimeLimitsForTesting(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    bool restore = connect.count() == 0 && total.count() == 0;
    g_connect_limit_ms = restore ? kConnectLimitMs : long(connect.count());
    g_total_limit_ms = restore ? kTotalLimitMs : long(total.count());
}

}  // namespace ns_IXD
