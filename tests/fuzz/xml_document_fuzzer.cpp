// libFuzzer entry for CXmlDocument; built and run by scripts/fuzz-xml.sh, outside the normal build.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/xml_document_fuzz_case.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string failure = CheckXmlDocumentFuzzCase(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "check failed at ");
        std::fwrite(failure.data(), 1, failure.size(), stderr);
        std::fputc('\n', stderr);
        std::abort();
    }
    return 0;
}
