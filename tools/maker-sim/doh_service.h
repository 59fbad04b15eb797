// The DNS-over-HTTPS resolver as maker-sim plays it: "/resolve?...&name=<host>&..." answers a JSON array of
// the IPv4 address texts known for the host (an empty array for an unknown one). "localhost" is known as
// 127.0.0.1 from the start. With an account set, only signed requests are answered: "uid" and "ak" must be
// the account's and "key" the SHA-256 (lowercase hex) of uid + secret + ts + name + ak; others get 403.
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

    // The account that signs requests; an empty account id answers unsigned requests too.
    void SetAccount(const std::string& account_id, const std::string& key_id, const std::string& secret);

private:
    std::mutex lock_;
    std::map<std::string, std::vector<std::string>> hosts_;
    std::string account_id_;
    std::string key_id_;
    std::string secret_;
};

}  // namespace makersim
