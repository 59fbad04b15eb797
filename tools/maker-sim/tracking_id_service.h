// The tracking-id service as maker-sim plays it: "/api/v1/prodweb/trk?pid=...&os=..." answers
// {"code":0,"msg":"success","data":"<32 hexadecimal digits>"}, a new identifier each time.
#pragma once

#include "tools/maker-sim/sim_exchange.h"

namespace makersim {

class TrackingIdService {
public:
    SimReply Handle(const SimRequest& request);
};

}  // namespace makersim
