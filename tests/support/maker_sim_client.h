// maker-sim inside the test's own process: every service of the maker on a free loopback port, over HTTP and
// over HTTPS with the test authority's certificate for 127.0.0.1. Tests script its replies and faults and
// read what it received. One object per test; it stops with the object.
//
// Given ports ("<service>.<scheme>" -> port, e.g. makersim::ProfilePorts()) it listens there instead, so that
// an installer process reaches it at the addresses compiled into it.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "tools/maker-sim/maker_sim.h"

namespace test_support {

class MakerSimClient {
public:
    explicit MakerSimClient(std::map<std::string, int> ports = {});
    ~MakerSimClient();
    MakerSimClient(const MakerSimClient&) = delete;
    MakerSimClient& operator=(const MakerSimClient&) = delete;

    // False (with the reason in Error) when it could not start.
    bool Started() const { return started_; }
    const std::string& Error() const { return error_; }

    // "<scheme>://127.0.0.1:<port>" of a service ("api", "api-alt", "stats", "collector", "trk", "doh",
    // "doh-alt", "control"), without a trailing slash.
    std::string Url(const std::string& service, const std::string& scheme = "https") const;

    // Adds rules (reply_script.h); a refused script fails the running test.
    void Script(const std::string& rules_json);

    // What the services received, in order; empty service or path match anything, a path ending in '*'
    // matches by prefix.
    std::vector<makersim::SimRequest> Requests(const std::string& service = {},
                                               const std::string& path = {}) const;
    // As Requests, once `count` have arrived or the limit has passed.
    std::vector<makersim::SimRequest> WaitFor(
        const std::string& service, const std::string& path, std::size_t count,
        std::chrono::milliseconds limit = std::chrono::seconds(30)) const;

    makersim::MakerSim& Sim() { return sim_; }

private:
    makersim::MakerSim sim_;
    bool started_ = false;
    std::string error_;
};

}  // namespace test_support
