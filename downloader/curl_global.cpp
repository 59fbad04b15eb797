#include "downloader/curl_global.h"

#include <curl/curl.h>

#include <mutex>

namespace ns_IXD {

void EnsureCurlInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

}  // namespace ns_IXD
