// The analytics collector as maker-sim plays it: "/collect?project=..." takes the form body
// "data_list=<percent-encoded base64 of a gzip stream>&gzip=1" and answers 200 when the batch inside is a
// JSON array, 400 otherwise.
#pragma once

#include <string>

#include "tools/maker-sim/sim_exchange.h"

namespace makersim {

class AnalyticsCollectorService {
public:
    // Unpacks the batch of a collect request into request.decoded (left empty when it cannot be unpacked),
    // so that the request log shows the records.
    static void Decode(SimRequest& request);

    SimReply Handle(const SimRequest& request);
};

}  // namespace makersim
