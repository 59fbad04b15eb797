// The deployment this build is made for: service settings compiled in from the profile chosen when the tree
// is configured (resources/<profile>/profile.cmake).
#pragma once

#include <string>

struct DeploymentProfile {
    std::string name;  // "loopback" or "shipped"

    // PEM file of the certificate authorities that "https://" servers must be signed by; empty: the system's
    // store.
    std::string ca_bundle;

    // The DNS-over-HTTPS resolver that the download engine asks when the system resolver knows no address of
    // a download host: two base addresses ("https://" and an IPv4 literal), tried in this order, and the
    // account values that sign its requests, each kept scrambled (base64 text with three filler characters
    // after the fourth).
    std::string http_dns_primary;
    std::string http_dns_secondary;
    std::string http_dns_account_id;
    std::string http_dns_key_id;
    std::string http_dns_secret;
    // The statistics service's base address (ends in "/"): the product configuration's ServerHost when that
    // names none.
    std::string statistics_base;

    // The licence page used when the product configuration's Url_License is missing or empty.
    std::string license_page;

    // The maker's platform API: the primary and the alternate origin ("https://host[:port]", no trailing
    // slash). Requests go to the alternate one when the primary does not answer with success.
    std::string platform_api_base;
    std::string platform_api_alternate_base;

    // The analytics collector, primary and alternate origin ("https://host", no port, no trailing slash); the
    // collector listens on port 8106 of both.
    std::string analytics_collector_base;
    std::string analytics_collector_alternate_base;
    // The tracking-id service's origin ("https://host[:port]", no trailing slash).
    std::string tracking_id_base;
};

const DeploymentProfile& GetDeploymentProfile();
