// Small blocking HTTP exchanges for the services. Each call makes its own transfer on the calling thread,
// with 5 seconds to connect and 10 seconds for the whole exchange, follows redirects, uses IPv4 only and
// returns the answer as text. The HTTP status is not interpreted: error pages come back like any other
// answer.
//
// "https://" servers must present a certificate, valid for the URL's host, from an authority of the
// deployment profile (or of the system's store when the profile names none); anything else fails the
// transfer.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace ns_IXD {

enum HttpMethod { kHttpGet = 0, kHttpHead = 1, kHttpPost = 2 };

// method: kHttpGet, kHttpHead (no body) or kHttpPost with `body`; any other value sends a GET.
// headers: whole header lines ("Name: value"), sent as they are. http10: speak HTTP 1.0, else 1.1.
// with_headers: the answer starts with the header lines of every response (a redirect chain's too), exactly
// as received. error: the library's result code of the transfer, or of reading the status after a transfer
// that worked; 0 on success. Left as it was when no transfer could be set up at all. Returns the header text
// (when asked for) and then the body with every "\r\n" removed (lone "\n" stay); after a failed transfer,
// what arrived before the failure.
std::string HttpRequest(int method, const std::u16string& url, const std::vector<std::string>& headers,
                        bool http10, bool with_headers, const std::string& body, int& error);

// Posts the file at `file_path` over HTTP 1.0 as a multipart form with one part named "file" (file name and
// content type from the path). `error` and the answer as for HttpRequest, without header text. A file that
// cannot be read fails the call with the library's read error before anything is sent.
std::string HttpFormPost(const std::string& url, const std::vector<std::string>& headers,
                         const std::string& file_path, int& error);

// The length of the resource at `url` as its headers announce it (the last "Content-Length:" of a redirect
// chain): asked with HEAD, then with a GET that ends as soon as the headers are in. 0 when neither answer
// announces one. With an `address` (IPv4 text) the connection to the URL's host and port goes to that address
// instead of the resolver's, while the request and the certificate check still use the URL's host name.
int64_t ProbeContentLength(const std::u16string& url, const std::string& address = {});

// Replaces the two time limits, so that tests can show a time-out without waiting for it; zero for both
// restores the real limits.
void SetRequestTimeLimitsForTesting(std::chrono::milliseconds connect, std::chrono::milliseconds total);

}  // namespace ns_IXD
