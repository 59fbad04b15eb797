#include "tests/support/test_ca.h"

#include "system/deployment_profile.h"

namespace test_support {

std::string TestCaFile(const std::string& name) {
    return std::string(IXO_BINARY_DIR) + "/test-ca/" + name;
}

bool BuildTrustsTestCa() {
    return GetDeploymentProfile().ca_bundle == TestCaFile("ca.pem");
}

}  // namespace test_support
