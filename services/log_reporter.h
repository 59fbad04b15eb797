// CLogReporter: the log report, sent silently after a failed download or installation. Uploads go to the log
// store with the identity headers; the report lists what each upload returned.
#pragma once

#include <string>
#include <vector>

#include "services/base_reporter.h"

class CLogReporter : public CBaseReporter {
public:
    using CBaseReporter::CBaseReporter;

    // Sent as "remark" when not empty. Set before SendFiles.
    void SetRemark(std::string remark) { remark_ = std::move(remark); }

    bool IsReady() override { return true; }
    bool UploadFile(const std::string& path) override;
    // Puts the client on the log white list (a refusal is only logged), then files the report with the
    // "data" of every kept upload reply in upload order. True when the report was accepted.
    bool SubmitReport(const std::vector<std::string>& uploaded) override;

private:
    std::vector<std::string> upload_replies_;
    std::string remark_;
};
