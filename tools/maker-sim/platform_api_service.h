// The maker's platform API as maker-sim plays it: the client-credentials token exchange, log and attachment
// uploads, log reports, the white list, support tickets, the retention offer (query and apply) and the series
// post. Every reply is the platform envelope {"code","msg","data"}; code 0 is success. Tokens issued at
// either address are valid at both, as they are at one platform behind two addresses.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>

#include "tools/maker-sim/sim_exchange.h"

namespace makersim {

class PlatformApiService {
public:
    // The one client the platform knows.
    static constexpr char kAppKey[] = "a41f0c93e7b25d80c6f3912b.test";
    static constexpr char kAppSecret[] = "Hx7Ra2LmWq9Ec4Tn8Ub3Vs6Kd1Jg5Yf0Zp";

    PlatformApiService();

    SimReply Handle(const SimRequest& request);

    // The "data" of the offer query: a JSON object with "id", "type" and optional "tips", or "null" for no
    // offer. False when the text is not JSON.
    bool SetOffer(const std::string& data_json);

private:
    bool IsAuthorized(const SimRequest& request);
    SimReply Token(const SimRequest& request);
    SimReply Upload(const SimRequest& request, const char* kind);
    SimReply Whitelist(const SimRequest& request);
    SimReply Report(const SimRequest& request);
    SimReply Ticket(const SimRequest& request);
    SimReply Recovery(const SimRequest& request);
    SimReply Apply(const SimRequest& request, const std::string& offer_id);
    SimReply Series(const SimRequest& request);

    std::mutex lock_;
    std::set<std::string> tokens_;
    uint64_t issued_ = 0;
    uint64_t uploads_ = 0;
    uint64_t reports_ = 0;
    std::string offer_json_;
};

// {"code":code,"msg":msg,"data":data_json} with the given HTTP status.
SimReply Envelope(int code, const std::string& msg, const std::string& data_json = "null", int status = 200);

}  // namespace makersim
