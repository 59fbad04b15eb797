#include "tests/support/maker_sim_client.h"

#include <gtest/gtest.h>

#include "tests/support/test_ca.h"

namespace test_support {
namespace {

makersim::MakerSimOptions TestOptions(std::map<std::string, int> ports) {
    makersim::MakerSimOptions options;
    options.ports = std::move(ports);
    options.certificate_path = TestCaFile("server.pem");
    options.key_path = TestCaFile("server.key");
    return options;
}

}  // namespace

MakerSimClient::MakerSimClient(std::map<std::string, int> ports) : sim_(TestOptions(std::move(ports))) {
    started_ = sim_.Start(error_);
}

MakerSimClient::~MakerSimClient() {
    sim_.Stop();
}

std::string MakerSimClient::Url(const std::string& service, const std::string& scheme) const {
    return sim_.BaseUrl(service, scheme);
}

void MakerSimClient::Script(const std::string& rules_json) {
    std::string error;
    if (!sim_.Script(rules_json, error)) ADD_FAILURE() << "maker-sim refused the script: " << error;
}

std::vector<makersim::SimRequest> MakerSimClient::Requests(const std::string& service,
                                                           const std::string& path) const {
    return sim_.Requests({service, "", path});
}

std::vector<makersim::SimRequest> MakerSimClient::WaitFor(const std::string& service, const std::string& path,
                                                          std::size_t count,
                                                          std::chrono::milliseconds limit) const {
    return sim_.WaitForRequests({service, "", path}, count, limit);
}

}  // namespace test_support
