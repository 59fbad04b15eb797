// A POST request with its body read through the library's content reader. Left to the library, a form body
// above 8 KiB (a full analytics batch, for one) is refused with 413 before any handler sees it. Include only
// where the HTTP server library is included already: its header is costly to compile.
#pragma once

#include <httplib.h>

#include <vector>

namespace makersim {

inline httplib::Request ReadWholeRequest(const httplib::Request& request, const httplib::ContentReader& reader) {
    httplib::Request whole = request;
    if (request.is_multipart_form_data()) {
        std::vector<httplib::MultipartFormData> parts;
        reader(
            [&parts](const httplib::MultipartFormData& part) {
                parts.push_back(part);
                return true;
            },
            [&parts](const char* data, size_t length) {
                parts.back().content.append(data, length);
                return true;
            });
        for (const auto& part : parts) whole.files.emplace(part.name, part);
    } else {
        reader([&whole](const char* data, size_t length) {
            whole.body.append(data, length);
            return true;
        });
    }
    return whole;
}

}  // namespace makersim
