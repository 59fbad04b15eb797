// Scripted replies and faults, per service and endpoint. A rule is a JSON object:
//
//   {"service": "api", "method": "POST", "path": "/v3/user/client/token", "times": 1,
//    "status": 200, "body": "text", "json": {...}, "content_type": "...", "headers": {"Name": "value"},
//    "delay_ms": 0, "drop": false, "drop_after": 0}
//
// service, method and path select requests (absent, "" or "*": any; a path ending in '*' matches by prefix).
// times: how many requests the rule answers before it is used up (default 1; 0: without end).
// status, body, json, content_type, headers: when any is present the rule replaces the service's own reply
// (status 200, content type application/json for "json", text/plain otherwise); without them the service
// answers as usual. delay_ms, drop and drop_after apply to whichever reply is sent: a drop sends the status
// line and headers, then drop_after bytes of the body, then closes the connection.
//
// Rules are tried in the order they were added; the first one that matches and is not used up answers.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/maker-sim/sim_exchange.h"

namespace makersim {

struct ScriptRule {
    std::string service;
    std::string method;
    std::string path;
    int times = 1;  // 0: without end
    bool replaces_reply = false;
    SimReply reply;  // the reply when replaces_reply; its delay and drop fields apply in any case

    bool Matches(const SimRequest& request) const;
};

class ReplyScript {
public:
    // Adds one rule (a JSON object) or several (an array). False, with a reason, when the text is not such
    // JSON or a field has the wrong type; then nothing is added.
    bool Add(const std::string& json_text, std::string& error);

    // The rule that answers this request, with one use consumed; nullopt when none matches.
    std::optional<ScriptRule> Take(const SimRequest& request);

    void Clear();

private:
    std::mutex lock_;
    std::vector<ScriptRule> rules_;
};

}  // namespace makersim
