#include "tools/maker-sim/profile_ports.h"

#include <cstdlib>

#include "analytics/analytics_tracker.h"
#include "downloader/url_parts.h"
#include "system/deployment_profile.h"

namespace makersim {
namespace {

bool IsLoopbackHost(const std::string& name) {
    return name == "localhost" || name.rfind("127.", 0) == 0;
}

void AddService(std::map<std::string, int>& ports, const std::string& service, const std::string& url,
                int port_when_none = 0) {
    ns_IXD::UrlParts parts;
    if (!ns_IXD::SplitUrl(url, parts) || !IsLoopbackHost(parts.name)) return;
    int port = parts.port.empty() ? port_when_none : std::atoi(parts.port.c_str());
    if (port > 0) ports[service + "." + parts.scheme] = port;
}

}  // namespace

std::map<std::string, int> ProfilePorts() {
    const DeploymentProfile& profile = GetDeploymentProfile();
    std::map<std::string, int> ports;
    AddService(ports, "api", profile.platform_api_base);
    AddService(ports, "api-alt", profile.platform_api_alternate_base);
    AddService(ports, "stats", profile.statistics_base);
    AddService(ports, "collector", profile.analytics_collector_base, analytics::kCollectorPort);
    AddService(ports, "trk", profile.tracking_id_base);
    AddService(ports, "doh", profile.http_dns_primary);
    AddService(ports, "doh-alt", profile.http_dns_secondary);
    return ports;
}

}  // namespace makersim
