// The DNS-over-HTTPS resolver as maker-sim plays it: "/resolve?...&name=<host>&..." answers a JSON array of
// the IPv4 address texts known for the host (an empty array for an unknown one). "localhost" is known as
// 127.0.0.1 from the start.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tools/maker-sim/sim_exchange.h"

namespace makersim {

class DohService {
public:
    DohService();

    SimReply Handle(const SimRequest& request);

    // Replaces the addresses of a host; an empty list forgets it.
    void SetHost(const std::string& name, std::vector<std::string> addresses);

private:
    std::mutex lock_;
    std::map<std::string, std::vector<std::string>> hosts_;
};

}  // namespace makersim
