#include "tools/maker-sim/platform_api_service.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace makersim {

namespace {

using nlohmann::json;

constexpr char kRecoveryPath[] = "/v1/product/downloader/recovery";
constexpr char kDefaultOffer[] =
    R"({"id":123,"type":1,"tips":{"title":"One month of membership, free",)"
    R"("content":"Leave your e-mail address and we send you a code for one month of membership."}})";

SimReply BadRequest(const std::string& why) {
    return Envelope(40000, "bad request: " + why, "null", 400);
}

// The JSON object of a request body, or a discarded value.
json BodyObject(const SimRequest& request) {
    json body = json::parse(request.body, nullptr, false);
    if (!body.is_object()) return json(json::value_t::discarded);
    return body;
}

bool IsText(const json& object, const char* key) {
    return object.contains(key) && object[key].is_string();
}
bool IsInteger(const json& object, const char* key) {
    return object.contains(key) && object[key].is_number_integer();
}

}  // namespace

SimReply Envelope(int code, const std::string& msg, const std::string& data_json, int status) {
    SimReply reply;
    reply.status = status;
    reply.body =
        "{\"code\":" + std::to_string(code) + ",\"msg\":" + json(msg).dump() + ",\"data\":" + data_json + "}";
    return reply;
}

PlatformApiService::PlatformApiService() : offer_json_(kDefaultOffer) {}

bool PlatformApiService::SetOffer(const std::string& data_json) {
    json offer = json::parse(data_json, nullptr, false);
    if (offer.is_discarded()) return false;
    std::lock_guard<std::mutex> hold(lock_);
    offer_json_ = offer.dump();
    return true;
}

SimReply PlatformApiService::Handle(const SimRequest& request) {
    const std::string& path = request.path;
    if (path == "/v3/user/client/token" && request.method == "POST") return Token(request);

    const bool known = path == "/v1/product/downloader/upload-log-file" ||
                       path == "/v1/crm/ticket/file/upload" || path == "/v1/product/logs/whitelist" ||
                       path == "/v1/product/logs/report" || path == "/v1/support/tickets" ||
                       path == "/v1/product/series" ||
                       path.compare(0, sizeof kRecoveryPath - 1, kRecoveryPath) == 0;
    if (!known) return Envelope(404, "no such endpoint", "null", 404);
    if (!IsAuthorized(request)) return Envelope(401, "invalid or missing access token", "null", 401);

    if (request.method == "GET" && path == kRecoveryPath) return Recovery(request);
    if (request.method != "POST") return Envelope(405, "method not allowed", "null", 405);
    if (path == "/v1/product/downloader/upload-log-file") return Upload(request, "log");
    if (path == "/v1/crm/ticket/file/upload") return Upload(request, "attachment");
    if (path == "/v1/product/logs/whitelist") return Whitelist(request);
    if (path == "/v1/product/logs/report") return Report(request);
    if (path == "/v1/support/tickets") return Ticket(request);
    if (path == "/v1/product/series") return Series(request);

    // /v1/product/downloader/recovery/<offer id>/apply
    const std::string rest = path.substr(sizeof kRecoveryPath - 1);
    const std::string suffix = "/apply";
    if (rest.size() > suffix.size() + 1 && rest[0] == '/' &&
        rest.compare(rest.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return Apply(request, rest.substr(1, rest.size() - 1 - suffix.size()));
    }
    return Envelope(404, "no such endpoint", "null", 404);
}

bool PlatformApiService::IsAuthorized(const SimRequest& request) {
    const std::string authorization = request.Header("Authorization");
    const std::string bearer = "Bearer ";
    if (authorization.compare(0, bearer.size(), bearer) != 0) return false;
    std::lock_guard<std::mutex> hold(lock_);
    return tokens_.count(authorization.substr(bearer.size())) > 0;
}

SimReply PlatformApiService::Token(const SimRequest& request) {
    json body = BodyObject(request);
    if (body.is_discarded()) return BadRequest("the body is not a JSON object");
    if (!IsText(body, "grant_type") || body["grant_type"] != "client_credentials") {
        return Envelope(40001, "unsupported grant type", "null", 400);
    }
    if (request.Header("X-App-Key") != kAppKey || !IsText(body, "app_secret") ||
        body["app_secret"] != kAppSecret) {
        return Envelope(40101, "unknown client", "null", 401);
    }
    std::string token;
    {
        std::lock_guard<std::mutex> hold(lock_);
        char text[40];
        std::snprintf(text, sizeof text, "simtoken-%08llu", static_cast<unsigned long long>(++issued_));
        token = text;
        tokens_.insert(token);
    }
    json data = {{"access_token", token}, {"token_type", "Bearer"}, {"expires_in", 7200}};
    return Envelope(0, "success", data.dump());
}

SimReply PlatformApiService::Upload(const SimRequest& request, const char* kind) {
    const SimFile* file = nullptr;
    for (const SimFile& part : request.files) {
        if (part.name == "file") {
            file = &part;
            break;
        }
    }
    if (!file) return BadRequest("no form part named \"file\"");
    uint64_t id;
    {
        std::lock_guard<std::mutex> hold(lock_);
        id = ++uploads_;
    }
    json data = {{"id", id},
                 {"kind", kind},
                 {"name", file->filename},
                 {"size", file->content.size()},
                 {"url", "/files/" + std::to_string(id) + "/" + file->filename}};
    return Envelope(0, "success", data.dump(-1, ' ', false, json::error_handler_t::replace));
}

SimReply PlatformApiService::Whitelist(const SimRequest& request) {
    json body = BodyObject(request);
    if (body.is_discarded() || !IsText(body, "client_sign") || !IsInteger(body, "pid") ||
        !IsText(body, "version")) {
        return BadRequest("expected client_sign, pid and version");
    }
    return Envelope(0, "success");
}

SimReply PlatformApiService::Report(const SimRequest& request) {
    json body = BodyObject(request);
    if (body.is_discarded() || !IsText(body, "client_sign") || !IsInteger(body, "pid") ||
        !IsInteger(body, "type") || !body.contains("files") || !body["files"].is_array()) {
        return BadRequest("expected client_sign, pid, type and files");
    }
    std::lock_guard<std::mutex> hold(lock_);
    return Envelope(0, "success", json({{"report_id", ++reports_}}).dump());
}

SimReply PlatformApiService::Ticket(const SimRequest& request) {
    json body = BodyObject(request);
    if (body.is_discarded() || !IsText(body, "title") || !IsText(body, "contents") ||
        !IsText(body, "contact_type") || !IsInteger(body, "product_id") ||
        !IsInteger(body, "ticket_form_id") || !body.contains("attachment") ||
        !body["attachment"].is_array()) {
        return BadRequest(
            "expected title, contents, contact_type, product_id, ticket_form_id and attachment");
    }
    const std::string contact_type = body["contact_type"];
    if ((contact_type != "email" && contact_type != "mobile") || !IsText(body, contact_type.c_str())) {
        return BadRequest("the contact must be under the key that contact_type names");
    }
    std::lock_guard<std::mutex> hold(lock_);
    return Envelope(0, "success", json({{"ticket_id", ++reports_}}).dump());
}

SimReply PlatformApiService::Recovery(const SimRequest& request) {
    if (!request.HasParam("version")) return BadRequest("no version");
    std::lock_guard<std::mutex> hold(lock_);
    return Envelope(0, "success", offer_json_);
}

SimReply PlatformApiService::Apply(const SimRequest& request, const std::string& offer_id) {
    json body = BodyObject(request);
    if (body.is_discarded() || !IsText(body, "email")) return BadRequest("expected email");
    json offer;
    {
        std::lock_guard<std::mutex> hold(lock_);
        offer = json::parse(offer_json_);
    }
    if (!offer.is_object() || !offer.contains("id") || offer["id"].dump() != offer_id) {
        return Envelope(40401, "no such offer", "null", 404);
    }
    if (body["email"].get<std::string>().find('@') == std::string::npos) {
        return Envelope(40002, "invalid e-mail address");
    }
    return Envelope(0, "success");
}

SimReply PlatformApiService::Series(const SimRequest& request) {
    json body = BodyObject(request);
    if (body.is_discarded() || !IsInteger(body, "product_id") || !IsText(body, "client_sign")) {
        return BadRequest("expected product_id and client_sign");
    }
    return Envelope(0, "success");
}

}  // namespace makersim
