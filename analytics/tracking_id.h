// The tracking id: an identifier of this run given by the maker's tracking-id service, or made locally when
// the service gives none. It is a common property of every event, and the distinct id while privacy is
// postponed.
#pragma once

#include <string>

namespace analytics {

// Asks the tracking-id service of the deployment profile for an id for `product_id` (decimal text), falls
// back to a local id, keeps the result as the process's tracking id and returns it. Blocks for the request.
std::string GetTrackingId(const std::string& product_id);

// As GetTrackingId, with the service at `service_base` ("https://host[:port]").
std::string GetTrackingIdFrom(const std::string& service_base, const std::string& product_id);

// The id in a reply that holds "\"code\":0" and, after it, "\"data\":\"": the text after the latter up to
// the next double quote. Empty when the reply has no such id.
std::string ParseTrackingIdReply(const std::string& reply);

// The tracking id kept by the last GetTrackingId; empty before.
std::string CurrentTrackingId();

}  // namespace analytics
