// The program's identity as the analytics common properties carry it, gathered from the product
// configuration, this executable and the run.
#pragma once

#include <string>

#include "analytics/common_properties.h"
#include "app/product_config.h"

// What the run adds to the configuration: the selected interface language (display name) and, once the
// server runtime configuration is read, its product version and name (empty before).
struct AnalyticsRunValues {
    std::u16string language_display_name;
    std::u16string server_product_version;
    std::u16string server_product_name;
};

// The values for CAnalyticsTracker::Initialise. Privacy is postponed when PrivacyPost is "1"; only otherwise
// is the client signature looked up (a first look-up makes and stores one, which waits for consent). The
// tracking id is the one GetTrackingId kept.
analytics::CommonPropertyValues MakeAnalyticsValues(const ProductConfig& config,
                                                    const std::string& identifier,
                                                    const AnalyticsRunValues& run);
