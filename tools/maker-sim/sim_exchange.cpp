#include "tools/maker-sim/sim_exchange.h"

#include <optional>

namespace makersim {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) return false;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> FindParam(const std::string& query, const std::string& name) {
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        std::string pair = query.substr(start, end - start);
        std::size_t equals = pair.find('=');
        std::string key = PercentDecode(pair.substr(0, equals));
        if (key == name)
            return equals == std::string::npos ? std::string() : PercentDecode(pair.substr(equals + 1));
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace

std::string PercentDecode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string SimRequest::Header(const std::string& name) const {
    for (const auto& header : headers) {
        if (SameName(header.first, name)) return header.second;
    }
    return {};
}

bool SimRequest::HasHeader(const std::string& name) const {
    for (const auto& header : headers) {
        if (SameName(header.first, name)) return true;
    }
    return false;
}

std::string SimRequest::Param(const std::string& name) const {
    return FindParam(query, name).value_or("");
}

bool SimRequest::HasParam(const std::string& name) const {
    return FindParam(query, name).has_value();
}

}  // namespace makersim
