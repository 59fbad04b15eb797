// The statistics service as maker-sim plays it: the install statistics post ("rest/v2/downloader/track") and
// the server runtime configuration document ("rest/v2/downloader/runtime/").
#pragma once

#include <mutex>
#include <string>

#include "tools/maker-sim/sim_exchange.h"

namespace makersim {

class StatisticsService {
public:
    StatisticsService();

    SimReply Handle(const SimRequest& request);

    // The document served as the runtime configuration (UTF-8 XML, sent unchanged).
    void SetRuntimeDocument(std::string xml);

private:
    std::mutex lock_;
    std::string runtime_document_;
};

}  // namespace makersim
