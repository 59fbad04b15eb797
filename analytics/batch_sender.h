// The boundary between the record queue and the network: one POST of a batch body to one collector.
#pragma once

#include <string>

namespace analytics {

class IBatchSender {
public:
    struct Response {
        long status = -1;  // the HTTP status, or -1 when the transfer failed
        std::string body;  // the response body, or the transfer's error text
    };

    virtual ~IBatchSender() = default;

    // Blocks the calling thread for the whole exchange. Called by one flush at a time.
    virtual Response Post(const std::string& url, const std::string& body) = 0;
};

}  // namespace analytics
