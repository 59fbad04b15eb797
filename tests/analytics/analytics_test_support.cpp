#include "tests/analytics/analytics_test_support.h"

#include <zlib.h>

#include <cstdint>
#include <nlohmann/json.hpp>

namespace analyticstest {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool PercentDecode(const std::string& text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || HexValue(text[i + 1]) < 0 || HexValue(text[i + 2]) < 0) return false;
        out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
        i += 2;
    }
    return true;
}

bool Base64Decode(const std::string& text, std::string& out) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (text.size() % 4 != 0) return false;
    for (size_t i = 0; i < text.size(); i += 4) {
        uint32_t group = 0;
        int padding = 0;
        for (size_t k = 0; k < 4; ++k) {
            char c = text[i + k];
            size_t value = kAlphabet.find(c);
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                ++padding;
                value = 0;
            } else if (value == std::string::npos || padding > 0) {
                return false;
            }
            group = (group << 6) | static_cast<uint32_t>(value);
        }
        out += static_cast<char>(group >> 16);
        if (padding < 2) out += static_cast<char>((group >> 8) & 0xFF);
        if (padding < 1) out += static_cast<char>(group & 0xFF);
    }
    return true;
}

bool Gunzip(const std::string& data, std::string& out) {
    z_stream stream{};
    if (inflateInit2(&stream, 31) != Z_OK) return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    char chunk[4096];
    int result;
    do {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END) break;
        out.append(chunk, sizeof chunk - stream.avail_out);
    } while (result != Z_STREAM_END);
    bool complete = result == Z_STREAM_END && stream.avail_in == 0;
    inflateEnd(&stream);
    return complete;
}

}  // namespace

std::string DecodeBatchBody(const std::string& body) {
    const std::string prefix = "data_list=";
    const std::string suffix = "&gzip=1";
    if (body.size() < prefix.size() + suffix.size() || body.compare(0, prefix.size(), prefix) != 0 ||
        body.compare(body.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return std::string();
    }
    std::string encoded = body.substr(prefix.size(), body.size() - prefix.size() - suffix.size());
    std::string base64, compressed, text;
    if (!PercentDecode(encoded, base64) || !Base64Decode(base64, compressed) || !Gunzip(compressed, text)) {
        return std::string();
    }
    return text;
}

std::vector<std::string> DecodeBatchRecords(const std::string& body) {
    std::vector<std::string> records;
    nlohmann::ordered_json batch = nlohmann::ordered_json::parse(DecodeBatchBody(body), nullptr, false);
    if (!batch.is_array()) return records;
    for (const auto& record : batch) records.push_back(record.dump());
    return records;
}

void CRecordingSender::SetStatus(const std::string& url, long status) {
    std::lock_guard<std::mutex> guard(lock_);
    statuses_[url] = status;
}

void CRecordingSender::SetDefaultStatus(long status) {
    std::lock_guard<std::mutex> guard(lock_);
    default_status_ = status;
}

void CRecordingSender::SetDuringNextPost(std::function<void()> action) {
    std::lock_guard<std::mutex> guard(lock_);
    during_next_post_ = std::move(action);
}

analytics::IBatchSender::Response CRecordingSender::Post(const std::string& url, const std::string& body) {
    std::function<void()> action;
    Response response;
    {
        std::lock_guard<std::mutex> guard(lock_);
        action = std::move(during_next_post_);
        during_next_post_ = nullptr;
        auto found = statuses_.find(url);
        response.status = found == statuses_.end() ? default_status_ : found->second;
        posts_.push_back({url, body, response.status});
        response.body = "answer " + std::to_string(response.status) + " from " + url;
    }
    if (action) action();
    return response;
}

std::vector<CRecordingSender::Request> CRecordingSender::Posts() const {
    std::lock_guard<std::mutex> guard(lock_);
    return posts_;
}

}  // namespace analyticstest
