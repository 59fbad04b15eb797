#include "analytics/value_node.h"

#include "formats/json_string.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "platform/local_time.h"

namespace analytics {

CValueNode CValueNode::Number(double value) {
    CValueNode node;
    node.kind_ = Kind::kNumber;
    node.number_ = value;
    return node;
}

CValueNode CValueNode::Integer(int64_t value) {
    CValueNode node;
    node.kind_ = Kind::kInteger;
    node.integer_ = value;
    return node;
}

CValueNode CValueNode::String(std::string value) {
    CValueNode node;
    node.kind_ = Kind::kString;
    node.text_ = std::move(value);
    return node;
}

CValueNode CValueNode::StringList(std::vector<std::string> values) {
    CValueNode node;
    node.kind_ = Kind::kStringList;
    node.list_ = std::move(values);
    return node;
}

CValueNode CValueNode::DateTime(int64_t seconds, int milliseconds) {
    CValueNode node;
    node.kind_ = Kind::kDateTime;
    node.integer_ = seconds;
    node.milliseconds_ = milliseconds;
    return node;
}

CValueNode CValueNode::Boolean(bool value) {
    CValueNode node;
    node.kind_ = Kind::kBoolean;
    node.boolean_ = value;
    return node;
}

CValueNode CValueNode::Object() {
    return CValueNode();
}

void CValueNode::Set(const std::string& key, CValueNode value) {
    if (kind_ != Kind::kObject) return;
    members_.insert_or_assign(key, std::move(value));
}

const CValueNode* CValueNode::Find(const std::string& key) const {
    auto found = members_.find(key);
    return found == members_.end() ? nullptr : &found->second;
}

bool CValueNode::Remove(const std::string& key) {
    return members_.erase(key) > 0;
}

std::string CValueNode::ToJson() const {
    std::string out;
    AppendJson(out);
    return out;
}

void CValueNode::AppendJson(std::string& out) const {
    switch (kind_) {
        case Kind::kNumber: {
            // JSON has no spelling for NaN or the infinities.
            if (!std::isfinite(number_)) {
                out += "null";
                break;
            }
            std::ostringstream stream;
            stream << number_;
            out += stream.str();
            break;
        }
        case Kind::kInteger:
            out += std::to_string(integer_);
            break;
        case Kind::kString:
            AppendJsonString(out, text_);
            break;
        case Kind::kStringList: {
            out += '[';
            for (size_t i = 0; i < list_.size(); ++i) {
                if (i > 0) out += ',';
                AppendJsonString(out, list_[i]);
            }
            out += ']';
            break;
        }
        case Kind::kDateTime: {
            platform::LocalTime when;
            platform::GetLocalTimeAt(integer_, when);
            char text[48];
            std::snprintf(text, sizeof text, "\"%04d-%02d-%02d %02d:%02d:%02d.%03d\"", when.year, when.month,
                          when.day, when.hour, when.minute, when.second, milliseconds_);
            out += text;
            break;
        }
        case Kind::kBoolean:
            out += boolean_ ? "true" : "false";
            break;
        case Kind::kObject: {
            out += '{';
            bool first = true;
            for (const auto& [key, value] : members_) {
                if (!first) out += ',';
                first = false;
                AppendJsonString(out, key);
                out += ':';
                value.AppendJson(out);
            }
            out += '}';
            break;
        }
    }
}

}  // namespace analytics
