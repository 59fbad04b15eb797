#include "tools/maker-sim/statistics_service.h"

#include <nlohmann/json.hpp>

#include "tools/maker-sim/platform_api_service.h"

namespace makersim {

namespace {

// A configuration with nothing to override: the installer keeps its compiled-in values.
constexpr char kEmptyRuntimeDocument[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<kxdoc>\n  <downloader>\n    <runtime>\n    </runtime>\n    <bind>\n    </bind>\n  "
    "</downloader>\n</kxdoc>\n";

constexpr char kLicensePage[] =
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Licence agreement</title></head>\n"
    "<body><h1>Licence agreement</h1><p>This is the licence page of the simulated maker services.</p></body>"
    "</html>\n";

}  // namespace

StatisticsService::StatisticsService() : runtime_document_(kEmptyRuntimeDocument) {
    pages_["/pages/license.html"] = kLicensePage;
}

void StatisticsService::SetPage(const std::string& path, std::string html) {
    std::lock_guard<std::mutex> hold(lock_);
    pages_[path] = std::move(html);
}

void StatisticsService::SetRuntimeDocument(std::string xml) {
    std::lock_guard<std::mutex> hold(lock_);
    runtime_document_ = std::move(xml);
}

SimReply StatisticsService::Handle(const SimRequest& request) {
    if (request.path == "/rest/v2/downloader/track") {
        if (request.method != "POST") return Envelope(405, "method not allowed", "null", 405);
        nlohmann::json record = nlohmann::json::parse(request.body, nullptr, false);
        if (!record.is_object()) return Envelope(40000, "the record is not a JSON object", "null", 400);
        return Envelope(0, "success");
    }
    if (request.path == "/rest/v2/downloader/runtime/" || request.path == "/rest/v2/downloader/runtime") {
        SimReply reply;
        reply.content_type = "application/xml";
        std::lock_guard<std::mutex> hold(lock_);
        reply.body = runtime_document_;
        return reply;
    }
    if (request.method == "GET") {
        std::lock_guard<std::mutex> hold(lock_);
        auto page = pages_.find(request.path);
        if (page != pages_.end()) {
            SimReply reply;
            reply.content_type = "text/html; charset=utf-8";
            reply.body = page->second;
            return reply;
        }
    }
    return Envelope(404, "no such endpoint", "null", 404);
}

}  // namespace makersim
