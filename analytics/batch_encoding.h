// The wire form of a batch of records: a JSON array, gzip-compressed, base64-encoded (standard alphabet, '='
// padding), percent-encoded into a form body "data_list=<...>&gzip=1".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace analytics {

// "[" + the records joined by "," + "]".
std::string BuildBatchText(const std::vector<std::string>& records);

// zlib deflate in gzip format: level 9, window bits 31, memory level 8, default strategy. False (with a
// diagnostic line) when compression fails; `compressed` is then unspecified.
bool GzipCompress(std::string_view data, std::string& compressed);

// Every byte except ASCII letters, digits and "-._~" becomes '%' and two uppercase hexadecimal digits.
std::string PercentEncode(std::string_view text);

// The whole form body of a batch; false when compression failed.
bool BuildBatchBody(const std::vector<std::string>& records, std::string& body);

}  // namespace analytics
