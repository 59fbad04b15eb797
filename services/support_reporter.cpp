#include "services/support_reporter.h"

#include <cstdlib>

#include "formats/json_value.h"
#include "formats/utf_conversion.h"
#include "services/platform_api_client.h"
#include "system/simple_log.h"

bool CSupportReporter::SetTicket(const std::u16string& title, const std::u16string& contents,
                                 const std::u16string& contact) {
    title_ = Utf16ToUtf8(title);
    contents_ = Utf16ToUtf8(contents);
    contact_ = Utf16ToUtf8(contact);
    WriteLog(kLogInfo, "[INFO] contact: %s", contact_.c_str());
    WriteLog(kLogInfo, "[INFO] content: %s", contents_.c_str());
    return true;
}

bool CSupportReporter::UploadFile(const std::string& path) {
    const std::vector<std::string> headers = {"Authorization: Bearer " + token_,
                                              "Content-Type: multipart/form-data"};
    const std::string reply = PostFileWithFailover("/v1/crm/ticket/file/upload", headers, path);
    if (ReplyCode(reply) != 0) return false;
    upload_replies_.push_back(reply);
    return true;
}

bool CSupportReporter::SubmitReport(const std::vector<std::string>& uploaded) {
    if (uploaded.empty()) return false;
    WriteLog(kLogInfo, "[INFO] report support.");
    const std::string contact_type = contact_.find('@') != std::string::npos ? "email" : "mobile";

    jsonw::CJsonValue ticket;
    ticket.Add("title", title_);
    ticket.Add("contents", contents_);
    ticket.Add("contact_type", contact_type);
    ticket.Add(contact_type, contact_);
    ticket.Add("product_id", static_cast<int32_t>(std::atoi(product_id_.c_str())));
    ticket.Add("product_version", product_version_);
    ticket.Add("ticket_form_id", kTicketFormId);
    ticket.AddEmptyArray("attachment");
    for (const std::string& reply : upload_replies_) {
        jsonw::CJsonValue data;
        jsonw::CJsonValue(reply).Get("data", data);
        ticket["attachment"].Add(data);
    }
    const std::vector<std::string> headers = {"Authorization: Bearer " + token_,
                                              "Content-Type: application/json"};
    const int code =
        ReplyCode(PostWithFailover("/v1/support/tickets", headers, ticket.ToString(), SwitchNotice::kWarn));
    if (code != 0) {
        WriteLog(kLogError, "[ERROR] report support failed! code=[%d].", code);
        return false;
    }
    return true;
}
