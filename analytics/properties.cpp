#include "analytics/properties.h"

#include "analytics/property_validation.h"

namespace analytics {

bool CProperties::SetString(const std::string& key, const std::string& value) {
    if (!CheckStringValue(key, value)) return false;
    node_.Set(key, CValueNode::String(value));
    return true;
}

void CProperties::SetInteger(const std::string& key, int64_t value) {
    node_.Set(key, CValueNode::Integer(value));
}

void CProperties::SetNumber(const std::string& key, double value) {
    node_.Set(key, CValueNode::Number(value));
}

void CProperties::SetBoolean(const std::string& key, bool value) {
    node_.Set(key, CValueNode::Boolean(value));
}

void CProperties::SetDateTime(const std::string& key, int64_t seconds, int milliseconds) {
    node_.Set(key, CValueNode::DateTime(seconds, milliseconds));
}

void CProperties::SetStringList(const std::string& key, std::vector<std::string> values) {
    node_.Set(key, CValueNode::StringList(std::move(values)));
}

void CProperties::SetObject(const std::string& key, CValueNode object) {
    node_.Set(key, std::move(object));
}

}  // namespace analytics
