// Posts batches with libcurl: form body, the client's user agent, 3 seconds for the whole request, no
// redirects followed. "https://" collectors must present a certificate, valid for the URL's host, from an
// authority of the deployment profile (or of the system's store when the profile names none).
#pragma once

#include <string>

#include "analytics/batch_sender.h"

namespace analytics {

class CCurlBatchSender : public IBatchSender {
public:
    CCurlBatchSender();

    Response Post(const std::string& url, const std::string& body) override;
};

}  // namespace analytics
