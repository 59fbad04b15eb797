// Posts batches with libcurl: form body, the client's user agent, 3 seconds for the whole request, no
// redirects followed, certificates and host names checked.
#pragma once

#include <string>

#include "analytics/batch_sender.h"

namespace analytics {

class CCurlBatchSender : public IBatchSender {
public:
    // `ca_bundle`: PEM file of the authorities that "https://" collectors must be signed by; empty for the
    // system's store.
    explicit CCurlBatchSender(std::string ca_bundle = std::string());

    Response Post(const std::string& url, const std::string& body) override;

private:
    std::string ca_bundle_;
};

}  // namespace analytics
