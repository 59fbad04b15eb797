#include "tools/maker-sim/reply_script.h"

#include <nlohmann/json.hpp>

namespace makersim {

namespace {

using nlohmann::json;

bool Selects(const std::string& pattern, const std::string& value) {
    if (pattern.empty() || pattern == "*") return true;
    if (pattern.back() == '*')
        return value.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
    return pattern == value;
}

// Reads an optional member of the given kind; false when present with another kind.
template <typename Value>
bool Read(const json& rule, const char* key, Value& out, std::string& error) {
    auto found = rule.find(key);
    if (found == rule.end()) return true;
    try {
        out = found->get<Value>();
        return true;
    } catch (const json::exception&) {
        error = std::string("rule member \"") + key + "\" has the wrong type";
        return false;
    }
}

bool ParseRule(const json& object, ScriptRule& rule, std::string& error) {
    if (!object.is_object()) {
        error = "a rule must be a JSON object";
        return false;
    }
    SimReply& reply = rule.reply;
    if (!Read(object, "service", rule.service, error) || !Read(object, "method", rule.method, error) ||
        !Read(object, "path", rule.path, error) || !Read(object, "times", rule.times, error) ||
        !Read(object, "status", reply.status, error) || !Read(object, "body", reply.body, error) ||
        !Read(object, "content_type", reply.content_type, error) ||
        !Read(object, "delay_ms", reply.delay_ms, error) || !Read(object, "drop", reply.drop, error) ||
        !Read(object, "drop_after", reply.drop_after, error)) {
        return false;
    }
    if (rule.times < 0 || reply.delay_ms < 0) {
        error = "times and delay_ms cannot be negative";
        return false;
    }
    rule.replaces_reply = object.contains("status") || object.contains("body") || object.contains("json") ||
                          object.contains("content_type") || object.contains("headers");
    if (!object.contains("content_type")) reply.content_type = "text/plain";
    if (object.contains("json")) {
        reply.body = object["json"].dump();
        if (!object.contains("content_type")) reply.content_type = "application/json";
    }
    if (object.contains("headers")) {
        if (!object["headers"].is_object()) {
            error = "rule member \"headers\" must be an object of texts";
            return false;
        }
        for (const auto& [name, value] : object["headers"].items()) {
            if (!value.is_string()) {
                error = "rule member \"headers\" must be an object of texts";
                return false;
            }
            reply.headers.emplace_back(name, value.get<std::string>());
        }
    }
    return true;
}

}  // namespace

bool ScriptRule::Matches(const SimRequest& request) const {
    return Selects(service, request.service) && Selects(method, request.method) &&
           Selects(path, request.path);
}

bool ReplyScript::Add(const std::string& json_text, std::string& error) {
    json parsed = json::parse(json_text, nullptr, false);
    if (parsed.is_discarded()) {
        error = "the script is not JSON";
        return false;
    }
    std::vector<ScriptRule> added;
    const json list = parsed.is_array() ? parsed : json::array({parsed});
    for (const json& object : list) {
        ScriptRule rule;
        if (!ParseRule(object, rule, error)) return false;
        added.push_back(std::move(rule));
    }
    std::lock_guard<std::mutex> hold(lock_);
    rules_.insert(rules_.end(), added.begin(), added.end());
    return true;
}

std::optional<ScriptRule> ReplyScript::Take(const SimRequest& request) {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto rule = rules_.begin(); rule != rules_.end(); ++rule) {
        if (!rule->Matches(request)) continue;
        ScriptRule taken = *rule;
        if (rule->times > 0 && --rule->times == 0) rules_.erase(rule);
        return taken;
    }
    return std::nullopt;
}

void ReplyScript::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    rules_.clear();
}

}  // namespace makersim
