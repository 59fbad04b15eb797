// What the service tests share: the process log captured, maker-sim running in the test process and the
// platform API client pointed at its two addresses.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "services/platform_api_client.h"
#include "tests/support/log_capture.h"
#include "tests/support/maker_sim_client.h"
#include "tests/support/test_ca.h"

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = std::make_unique<test_support::LogCapture>();
        sim_ = std::make_unique<test_support::MakerSimClient>();
        ASSERT_TRUE(sim_->Started()) << sim_->Error();
        SetPlatformApiBasesForTesting(Url("api"), Url("api-alt"));
    }
    void TearDown() override {
        SetPlatformApiBasesForTesting({}, {});
        sim_.reset();
    }

    // HTTPS wherever the build trusts the test authority (the loopback profile), HTTP otherwise.
    static std::string Scheme() { return test_support::BuildTrustsTestCa() ? "https" : "http"; }
    std::string Url(const std::string& service) const { return sim_->Url(service, Scheme()); }

    std::string LogText() const { return log_->NewText(); }

    static nlohmann::ordered_json Json(const std::string& text) {
        return nlohmann::ordered_json::parse(text, nullptr, false);
    }
    static std::vector<std::string> Keys(const nlohmann::ordered_json& object) {
        std::vector<std::string> keys;
        for (const auto& member : object.items()) keys.push_back(member.key());
        return keys;
    }
    // The header lines of a recorded request in "Name: value" form, without those the transfer library adds
    // on its own.
    static std::vector<std::string> SentHeaders(const makersim::SimRequest& request) {
        std::vector<std::string> lines;
        for (const auto& [name, value] : request.headers) {
            if (name == "Host" || name == "Accept" || name == "Content-Length" || name == "User-Agent")
                continue;
            lines.push_back(name + ": " + value);
        }
        return lines;
    }

    std::unique_ptr<test_support::LogCapture> log_;
    std::unique_ptr<test_support::MakerSimClient> sim_;
};
