#include "tools/maker-sim/doh_service.h"

#include <nlohmann/json.hpp>

namespace makersim {

DohService::DohService() {
    hosts_["localhost"] = {"127.0.0.1"};
}

void DohService::SetHost(const std::string& name, std::vector<std::string> addresses) {
    std::lock_guard<std::mutex> hold(lock_);
    if (addresses.empty()) {
        hosts_.erase(name);
    } else {
        hosts_[name] = std::move(addresses);
    }
}

SimReply DohService::Handle(const SimRequest& request) {
    SimReply reply;
    if (request.path != "/resolve") {
        reply.status = 404;
        reply.body = "[]";
        return reply;
    }
    nlohmann::json answer = nlohmann::json::array();
    {
        std::lock_guard<std::mutex> hold(lock_);
        auto found = hosts_.find(request.Param("name"));
        if (found != hosts_.end()) {
            for (const std::string& address : found->second) answer.push_back(address);
        }
    }
    reply.body = answer.dump();
    return reply;
}

}  // namespace makersim
