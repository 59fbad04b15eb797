#include "tools/maker-sim/request_log.h"

#include <nlohmann/json.hpp>

namespace makersim {

namespace {

nlohmann::json ToJsonValue(const SimRequest& request) {
    nlohmann::json headers = nlohmann::json::array();
    for (const auto& header : request.headers) headers.push_back({header.first, header.second});
    nlohmann::json files = nlohmann::json::array();
    for (const SimFile& file : request.files) {
        files.push_back({{"name", file.name},
                         {"filename", file.filename},
                         {"content_type", file.content_type},
                         {"content", file.content}});
    }
    return {{"seq", request.seq},        {"service", request.service}, {"scheme", request.scheme},
            {"method", request.method},  {"path", request.path},       {"query", request.query},
            {"headers", headers},        {"body", request.body},       {"files", files},
            {"decoded", request.decoded}};
}

std::string Dump(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

bool RequestFilter::Matches(const SimRequest& request) const {
    if (request.seq <= after_seq) return false;
    if (!service.empty() && request.service != service) return false;
    if (!method.empty() && request.method != method) return false;
    if (path.empty()) return true;
    if (path.back() == '*') return request.path.compare(0, path.size() - 1, path, 0, path.size() - 1) == 0;
    return request.path == path;
}

RequestLog::RequestLog(const std::string& jsonl_path) {
    if (jsonl_path.empty()) return;
    file_.open(jsonl_path, std::ios::app | std::ios::binary);
    file_ok_ = file_.is_open();
}

uint64_t RequestLog::Append(SimRequest request) {
    std::lock_guard<std::mutex> hold(lock_);
    request.seq = ++last_seq_;
    if (file_.is_open()) {
        file_ << RequestToJson(request) << '\n';
        file_.flush();
    }
    requests_.push_back(std::move(request));
    changed_.notify_all();
    return last_seq_;
}

std::vector<SimRequest> RequestLog::Select(const RequestFilter& filter) const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<SimRequest> matches;
    for (const SimRequest& request : requests_) {
        if (filter.Matches(request)) matches.push_back(request);
    }
    return matches;
}

std::vector<SimRequest> RequestLog::WaitFor(const RequestFilter& filter, std::size_t count,
                                            std::chrono::milliseconds limit) const {
    auto enough = [&] {
        std::size_t found = 0;
        for (const SimRequest& request : requests_) found += filter.Matches(request) ? 1 : 0;
        return found >= count;
    };
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait_for(hold, limit, enough);
    }
    return Select(filter);
}

void RequestLog::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    requests_.clear();
}

std::string RequestToJson(const SimRequest& request) {
    return Dump(ToJsonValue(request));
}

std::string RequestsToJson(const std::vector<SimRequest>& requests) {
    nlohmann::json list = nlohmann::json::array();
    for (const SimRequest& request : requests) list.push_back(ToJsonValue(request));
    return Dump(list);
}

}  // namespace makersim
