// The build's own certificate authority and the server certificates it made (cmake/TestCertificates.cmake).
#pragma once

#include <string>

namespace test_support {

// Full path of a file of the build's test-ca folder: "ca.pem", "server.pem", "server.key", "other-host.pem",
// "other-host.key", "untrusted.pem", "untrusted.key".
std::string TestCaFile(const std::string& name);

// Whether this build's requests trust the test authority (the loopback profile does, the shipped one does
// not).
bool BuildTrustsTestCa();

}  // namespace test_support
