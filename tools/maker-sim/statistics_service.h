// The statistics service as maker-sim plays it: the install statistics post ("rest/v2/downloader/track"), the
// server runtime configuration document ("rest/v2/downloader/runtime/") and, on the same host, the maker's
// web pages under "/pages/" (a licence page from the start).
#pragma once

#include <map>
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

    // Serves `html` at `path` (which starts with "/pages/").
    void SetPage(const std::string& path, std::string html);

private:
    std::mutex lock_;
    std::string runtime_document_;
    std::map<std::string, std::string> pages_;
};

}  // namespace makersim
