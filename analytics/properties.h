// The properties of one event (or the super properties): an object of values, one per key. Setting a key
// that exists replaces its value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analytics/value_node.h"

namespace analytics {

class CProperties {
public:
    // Stores the value only when it passes CheckStringValue (at most 8192 bytes of valid UTF-8 text); a
    // rejected value leaves the key as it was and reports one diagnostic line. True when stored.
    bool SetString(const std::string& key, const std::string& value);
    void SetInteger(const std::string& key, int64_t value);
    void SetNumber(const std::string& key, double value);
    void SetBoolean(const std::string& key, bool value);
    void SetDateTime(const std::string& key, int64_t seconds, int milliseconds);
    void SetStringList(const std::string& key, std::vector<std::string> values);
    void SetObject(const std::string& key, CValueNode object);

    const CValueNode& Node() const { return node_; }
    const CValueNode* Find(const std::string& key) const { return node_.Find(key); }

private:
    CValueNode node_;
};

}  // namespace analytics
