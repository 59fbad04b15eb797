// CSupportReporter: the problem report the user asks for on the failure page: a support ticket with the
// user's contact and the uploaded logs as attachments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "services/base_reporter.h"

class CSupportReporter : public CBaseReporter {
public:
    static constexpr int64_t kTicketFormId = 10310875932697;

    using CBaseReporter::CBaseReporter;

    // Keeps the three as UTF-8 and logs the contact and the contents. A contact with '@' is an e-mail
    // address, anything else a mobile number. Always true.
    bool SetTicket(const std::u16string& title, const std::u16string& contents,
                   const std::u16string& contact);

    bool IsReady() override { return true; }
    bool UploadFile(const std::string& path) override;
    // Files the ticket with the "data" of every kept upload reply as attachments. True when accepted.
    bool SubmitReport(const std::vector<std::string>& uploaded) override;

private:
    std::string title_;
    std::string contents_;
    std::string contact_;
    std::vector<std::string> upload_replies_;
};
