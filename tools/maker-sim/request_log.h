// Every request maker-sim answers, kept in memory for the in-process API and the control endpoint and, when
// a path is given, appended to a JSON-lines file (one object per request, written before the reply is sent).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "tools/maker-sim/sim_exchange.h"

namespace makersim {

// Which requests a query wants. Empty fields match anything; a path ending in '*' matches by prefix.
struct RequestFilter {
    std::string service;
    std::string method;
    std::string path;
    uint64_t after_seq = 0;  // only requests with a larger sequence number

    bool Matches(const SimRequest& request) const;
};

class RequestLog {
public:
    // An empty path keeps the record in memory only. A file that cannot be opened is reported by IsFileOk.
    explicit RequestLog(const std::string& jsonl_path = {});

    bool IsFileOk() const { return file_ok_; }

    // Numbers the request, stores it and wakes the waiters. Returns its sequence number.
    uint64_t Append(SimRequest request);

    std::vector<SimRequest> Select(const RequestFilter& filter) const;

    // Blocks until at least `count` requests match or the limit passes; returns the matches found by then.
    std::vector<SimRequest> WaitFor(const RequestFilter& filter, std::size_t count,
                                    std::chrono::milliseconds limit) const;

    // Forgets the requests kept in memory (the file keeps its lines); numbering goes on.
    void Clear();

private:
    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<SimRequest> requests_;
    uint64_t last_seq_ = 0;
    std::ofstream file_;
    bool file_ok_ = true;
};

// The JSON form of a request, as the log file and the control endpoint give it:
// {"seq","service","scheme","method","path","query","headers":[[name,value],...],"body","files":[{"name",
// "filename","content_type","content"}],"decoded"}. Bytes that are not UTF-8 become U+FFFD.
std::string RequestToJson(const SimRequest& request);
std::string RequestsToJson(const std::vector<SimRequest>& requests);

}  // namespace makersim
