// The checks an event passes before it is recorded. Each failing check reports one diagnostic line.
#pragma once

#include <string>
#include <string_view>

#include "analytics/value_node.h"

namespace analytics {

// An event name or property key: 1 to 100 bytes, a letter, '$' or '_' first, then letters, digits, '$' or
// '_' (ASCII only). `what` names the checked thing in the diagnostic: "Event Name" or "Property Key".
bool CheckName(const std::string& name, const std::string& what);

// The event's own properties: every key is a valid name, "$time" is a date-time, "$project" a string.
bool CheckEventProperties(const CValueNode& properties);

// 1 to 255 bytes.
bool CheckDistinctId(const std::string& distinct_id);

// A string property value is stored only when it is at most 8192 bytes of valid UTF-8 text.
bool CheckStringValue(const std::string& key, const std::string& value);

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) whose single-byte characters
// are only tab, LF, CR and 0x20-0x7E.
bool IsValidUtf8Text(std::string_view text);

}  // namespace analytics
