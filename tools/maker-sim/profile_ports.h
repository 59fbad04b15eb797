// The ports on which this build's deployment profile expects the maker's services on this machine. maker-sim
// started on them plays the maker for the installer itself (the demo, start-up tests).
#pragma once

#include <map>
#include <string>

namespace makersim {

// "<service>.<scheme>" -> port, for every service address of the profile that names a loopback host and a
// port (the collector's port is the analytics client's fixed one). Empty for a profile whose services are
// elsewhere.
std::map<std::string, int> ProfilePorts();

}  // namespace makersim
