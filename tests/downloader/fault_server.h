// A small HTTP server of the tests for the faults nginx cannot make: 416 to closed ranges, connections that
// stall or drop after their first bytes. It serves one body at every path, with ranges.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ixo_test {

struct FaultScript {
    std::string body;
    // Closed ranges ("bytes=a-b") get 416; open ones and plain requests get the whole file (200).
    bool refuse_closed_ranges = false;
    // The first N range GETs send this many bytes and then close the connection.
    int drop_first_requests = 0;
    int64_t drop_after = 0;
    // The first N range GETs send this many bytes and then send nothing more until ReleaseStalls or Stop.
    int stall_first_requests = 0;
    int64_t stall_after = 0;
};

class FaultServer {
public:
    FaultServer();
    ~FaultServer();
    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    // Listens on address:port (0: a free port). Returns the port, 0 on failure.
    int Start(const FaultScript& script, const std::string& address = "127.0.0.1", int port = 0);
    void Stop();
    void ReleaseStalls();
    // The Range headers of every GET so far, in arrival order ("" for none).
    std::vector<std::string> Ranges();
    // GETs that are stalled right now.
    int StalledNow() const { return stalled_now_.load(); }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::atomic<int> stalled_now_{0};
};

}  // namespace ixo_test
