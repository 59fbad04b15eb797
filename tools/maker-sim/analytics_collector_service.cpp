#include "tools/maker-sim/analytics_collector_service.h"

#include <zlib.h>

#include <nlohmann/json.hpp>

namespace makersim {

namespace {

// Strict standard-alphabet base64; false on any other character or a bad length. The program's own decoder
// is lenient by design; a checking server must not be, or a client that sends broken text would pass.
bool DecodeBase64(const std::string& text, std::string& out) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    if (text.size() % 4 != 0) return false;
    out.clear();
    for (std::size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            char c = text[i + k];
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                v[k] = 0;
                ++padding;
            } else if (padding > 0 || (v[k] = value(c)) < 0) {
                return false;
            }
        }
        uint32_t group = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
        out += static_cast<char>(group >> 16);
        if (padding < 2) out += static_cast<char>((group >> 8) & 0xFF);
        if (padding < 1) out += static_cast<char>(group & 0xFF);
    }
    return true;
}

constexpr std::size_t kMaxBatchBytes = 64 << 20;

bool Gunzip(const std::string& packed, std::string& out) {
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    out.clear();
    int status = Z_OK;
    char chunk[16384];
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(chunk, sizeof chunk - stream.avail_out);
        if (out.size() > kMaxBatchBytes) break;
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END;
}

// The value of a field of a form body, percent-decoded; empty when absent.
std::string FormField(const std::string& body, const std::string& name) {
    SimRequest form;
    form.query = body;
    return form.Param(name);
}

}  // namespace

void AnalyticsCollectorService::Decode(SimRequest& request) {
    std::string packed;
    std::string batch;
    if (!DecodeBase64(FormField(request.body, "data_list"), packed)) return;
    if (FormField(request.body, "gzip") == "1") {
        if (!Gunzip(packed, batch)) return;
    } else {
        batch = packed;
    }
    request.decoded = batch;
}

SimReply AnalyticsCollectorService::Handle(const SimRequest& request) {
    SimReply reply;
    reply.content_type = "text/plain";
    if (request.path != "/collect" || request.method != "POST") {
        reply.status = 404;
        reply.body = "not found";
        return reply;
    }
    nlohmann::json batch = nlohmann::json::parse(request.decoded, nullptr, false);
    if (!batch.is_array()) {
        reply.status = 400;
        reply.body = "bad batch";
        return reply;
    }
    reply.body = "ok";
    return reply;
}

}  // namespace makersim
