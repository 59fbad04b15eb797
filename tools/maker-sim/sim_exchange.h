// One request as maker-sim received it and one reply as it sends it. Plain data, shared by the listeners, the
// simulated services, the script and the request log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace makersim {

struct SimFile {
    std::string name;      // form field name ("file")
    std::string filename;  // as the client sent it
    std::string content_type;
    std::string content;
};

struct SimRequest {
    uint64_t seq = 0;     // 1, 2, ... in arrival order over all listeners; set by the request log
    std::string service;  // "api", "api-alt", "stats", "collector", "trk", "doh", "doh-alt"
    std::string scheme;   // "http" or "https"
    std::string method;
    std::string path;   // as sent, without the query
    std::string query;  // as sent, the text after '?'
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;  // empty for a multipart form: its parts are in `files`
    std::vector<SimFile> files;
    std::string decoded;  // collector: the batch of records, decompressed; empty elsewhere

    // The first header of that name (compared without regard to case); empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
    // The first query parameter of that name, percent-decoded; empty when absent.
    std::string Param(const std::string& name) const;
    bool HasParam(const std::string& name) const;
};

struct SimReply {
    int status = 200;
    std::string content_type = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    int delay_ms = 0;   // wait this long before answering
    bool drop = false;  // send the status line and headers, then close after `drop_after` body bytes
    std::size_t drop_after = 0;
};

// Decodes %XX escapes; a malformed escape is kept as it is. '+' stays '+'.
std::string PercentDecode(const std::string& text);

}  // namespace makersim
