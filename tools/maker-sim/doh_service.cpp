#include "tools/maker-sim/doh_service.h"

#include <nlohmann/json.hpp>

#include "system/sha256.h"

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

void DohService::SetAccount(const std::string& account_id, const std::string& key_id,
                            const std::string& secret) {
    std::lock_guard<std::mutex> hold(lock_);
    account_id_ = account_id;
    key_id_ = key_id;
    secret_ = secret;
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
        if (!account_id_.empty()) {
            const std::string expected =
                Sha256(account_id_ + secret_ + request.Param("ts") + request.Param("name") + key_id_);
            if (request.Param("uid") != account_id_ || request.Param("ak") != key_id_ ||
                request.Param("key") != expected) {
                reply.status = 403;
                reply.body = "[]";
                return reply;
            }
        }
        auto found = hosts_.find(request.Param("name"));
        if (found != hosts_.end()) {
            for (const std::string& address : found->second) answer.push_back(address);
        }
    }
    reply.body = answer.dump();
    return reply;
}

}  // namespace makersim
