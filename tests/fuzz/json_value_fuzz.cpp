// libFuzzer target for CJsonValue::Parse, built by scripts/fuzz-json.sh (not part of the normal build).
// Beyond "no crash, no leak, no undefined behaviour" it checks what callers rely on: a failure names a tail
// of the input, and a parsed value prints to text that parses back to the same print.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formats/json_value.h"

namespace {

const std::string kPrefix = "parse json string error at ";

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    jsonw::CJsonValue value;
    if (!value.Parse(text)) {
        const std::string& error = value.GetErrorMessage();
        Check(error.compare(0, kPrefix.size(), kPrefix) == 0);
        const std::string rest = error.substr(kPrefix.size());
        Check(rest.size() <= text.size() && text.compare(text.size() - rest.size(), rest.size(), rest) == 0);
        Check(value.ToString().empty());
        return 0;
    }

    const std::string printed = value.ToString();
    jsonw::CJsonValue again;
    Check(again.Parse(printed));
    Check(again.ToString() == printed);

    // The reads the service clients make on a reply.
    int32_t code = -1;
    int64_t id = -1;
    std::string message;
    value.Get("code", code);
    value.Get("id", id);
    value.Get("msg", message);
    value.IsNull("data");
    jsonw::CJsonValue payload;
    if (value.Get("data", payload)) Check(!payload.ToString().empty());
    value["data"]["tips"].Get("title", message);
    value[std::size_t{0}].ToString();

    // Copies into an array and key-wise additions.
    jsonw::CJsonValue list;
    Check(list.Add(value));
    Check(list.Add(value));
    value.Add("code", 1);
    value.AddEmptyArray("files");
    value["files"].Add(again);
    Check(!value.ToString().empty());
    return 0;
}
