#include "analytics/batch_encoding.h"

#include <zlib.h>

#include <cstdint>

#include "analytics/diagnostics.h"
#include "system/base64.h"

namespace analytics {
namespace {

constexpr size_t kChunkBytes = 32768;

}  // namespace

std::string BuildBatchText(const std::vector<std::string>& records) {
    std::string text = "[";
    for (size_t i = 0; i < records.size(); ++i) {
        if (i > 0) text += ',';
        text += records[i];
    }
    text += ']';
    return text;
}

bool GzipCompress(std::string_view data, std::string& compressed) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        ReportDiagnostic("deflateInit2 failed while compressing.");
        return false;
    }
    compressed.clear();
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    char chunk[kChunkBytes];
    int result;
    do {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = kChunkBytes;
        result = deflate(&stream, Z_FINISH);
        if (result == Z_STREAM_ERROR || result == Z_BUF_ERROR) break;
        compressed.append(chunk, kChunkBytes - stream.avail_out);
    } while (result != Z_STREAM_END);
    if (result != Z_STREAM_END) {
        ReportDiagnostic("Exception during zlib compression: (" + std::to_string(result) + ") " +
                         (stream.msg ? stream.msg : zError(result)));
        deflateEnd(&stream);
        return false;
    }
    deflateEnd(&stream);
    return true;
}

std::string PercentEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~';
        if (plain) {
            out += c;
        } else {
            unsigned char byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

bool BuildBatchBody(const std::vector<std::string>& records, std::string& body) {
    std::string compressed;
    if (!GzipCompress(BuildBatchText(records), compressed)) return false;
    body = "data_list=" + PercentEncode(Base64EncodeBytes(compressed)) + "&gzip=1";
    return true;
}

}  // namespace analytics
