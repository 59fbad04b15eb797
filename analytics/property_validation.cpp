#include "analytics/property_validation.h"

#include <cstdint>

#include "analytics/diagnostics.h"

namespace analytics {
namespace {

constexpr size_t kMaxNameBytes = 100;
constexpr size_t kMaxDistinctIdBytes = 255;
constexpr size_t kMaxStringValueBytes = 8192;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool CheckName(const std::string& name, const std::string& what) {
    if (name.empty() || name.size() > kMaxNameBytes) {
        ReportDiagnostic("The " + what + " is empty or too long, max length is 100");
        return false;
    }
    bool valid = IsLetter(name[0]) || name[0] == '$' || name[0] == '_';
    for (size_t i = 1; valid && i < name.size(); ++i) {
        char c = name[i];
        valid = IsLetter(c) || IsDigit(c) || c == '$' || c == '_';
    }
    if (!valid) ReportDiagnostic("The " + what + " need to be a valid variable name.");
    return valid;
}

bool CheckEventProperties(const CValueNode& properties) {
    for (const auto& [key, value] : properties.Members()) {
        if (!CheckName(key, "Property Key")) return false;
        if (key == "$time" && value.GetKind() != CValueNode::Kind::kDateTime) {
            ReportDiagnostic("The property '$time' should be DateTime type.");
            return false;
        }
        if (key == "$project" && value.GetKind() != CValueNode::Kind::kString) {
            ReportDiagnostic("The property '$project' should be String type.");
            return false;
        }
    }
    return true;
}

bool CheckDistinctId(const std::string& distinct_id) {
    if (distinct_id.empty()) {
        ReportDiagnostic("The Distinct ID is empty.");
        return false;
    }
    if (distinct_id.size() > kMaxDistinctIdBytes) {
        ReportDiagnostic("The Distinct ID is too long, max length is 255.");
        return false;
    }
    return true;
}

bool CheckStringValue(const std::string& key, const std::string& value) {
    if (value.size() > kMaxStringValueBytes) {
        ReportDiagnostic("String property '" + key + "' is too long, value: " + value);
        return false;
    }
    if (!IsValidUtf8Text(value)) {
        ReportDiagnostic("String property '" + key + "' is not valid UTF-8 string, value: " + value);
        return false;
    }
    return true;
}

bool IsValidUtf8Text(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (lead != '\t' && lead != '\n' && lead != '\r' && (lead < 0x20 || lead > 0x7E)) return false;
            ++i;
            continue;
        }
        size_t length;
        uint32_t code;
        uint32_t minimum;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07, minimum = 0x10000;
        } else {
            return false;  // a continuation byte, an overlong two-byte lead (C0, C1) or F5-FF
        }
        if (i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

}  // namespace analytics
