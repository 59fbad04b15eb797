#include "tools/maker-sim/tracking_id_service.h"

#include <cstdio>
#include <random>

#include "tools/maker-sim/platform_api_service.h"

namespace makersim {

SimReply TrackingIdService::Handle(const SimRequest& request) {
    if (request.path != "/api/v1/prodweb/trk") return Envelope(404, "no such endpoint", "null", 404);
    if (request.Param("pid").empty()) return Envelope(1, "missing pid");
    thread_local std::mt19937_64 generator{std::random_device{}()};
    char id[33];
    std::snprintf(id, sizeof id, "%016llx%016llx", static_cast<unsigned long long>(generator()),
                  static_cast<unsigned long long>(generator()));
    return Envelope(0, "success", std::string("\"") + id + "\"");
}

}  // namespace makersim
