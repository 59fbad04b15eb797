// The orchestrator's analytics events, sent through the event catalogue.
#pragma once

#include "app/orchestrator_services.h"

class CRunAnalytics : public IRunAnalytics {
public:
    void SendDownloadEvent(const TaskEvent& event) override;
    void SendInstallEvent(const TaskEvent& event) override;
    void SendPopEvent(const std::string& pop_name) override;
    void SendDnsEvent(const std::string& domain, const std::string& ips) override;
    void SetFirstInstall(bool first_install) override;
};
