#include "services/log_reporter.h"

#include <cstdlib>

#include "formats/json_value.h"
#include "services/platform_api_client.h"
#include "system/simple_log.h"

bool CLogReporter::UploadFile(const std::string& path) {
    const std::vector<std::string> headers = {"Authorization: Bearer " + token_,
                                              "Content-Type: multipart/form-data",
                                              std::string("X-App-Key: ") + kPlatformAppKey,
                                              "X-Client-Type: 1",
                                              std::string("X-Lang: ") + kPlatformLanguage,
                                              "X-Client-Sn: " + client_serial_,
                                              "X-Prod-Id: " + reporting_product_id_,
                                              "X-Prod-Ver: " + product_version_};
    const std::string reply = PostFileWithFailover("/v1/product/downloader/upload-log-file", headers, path);
    if (ReplyCode(reply) != 0) {
        WriteLog(kLogError, "[ERROR] upload log, result=[%s]", reply.c_str());
        return false;
    }
    upload_replies_.push_back(reply);
    return true;
}

bool CLogReporter::SubmitReport(const std::vector<std::string>& uploaded) {
    if (uploaded.empty()) return false;
    const std::vector<std::string> headers = {"Authorization: Bearer " + token_,
                                              "Content-Type: application/json"};
    const int32_t pid = std::atoi(reporting_product_id_.c_str());

    jsonw::CJsonValue whitelist;
    whitelist.Add("client_sign", client_serial_);
    whitelist.Add("pid", pid);
    whitelist.Add("version", file_version_);
    const int whitelist_code = ReplyCode(
        PostWithFailover("/v1/product/logs/whitelist", headers, whitelist.ToString(), SwitchNotice::kWarn));
    if (whitelist_code != 0) WriteLog(kLogError, "[ERROR] add white list failed! code=[%d].", whitelist_code);

    jsonw::CJsonValue report;
    report.Add("client_sign", client_serial_);
    report.Add("pid", pid);
    report.Add("version", file_version_);
    report.Add("type", 2);
    if (!remark_.empty()) report.Add("remark", remark_);
    report.AddEmptyArray("files");
    for (const std::string& reply : upload_replies_) {
        jsonw::CJsonValue data;
        jsonw::CJsonValue(reply).Get("data", data);
        report["files"].Add(data);
    }
    const std::string reply =
        PostWithFailover("/v1/product/logs/report", headers, report.ToString(), SwitchNotice::kWarn);
    if (ReplyCode(reply) != 0) {
        WriteLog(kLogError, "[ERROR] log_reports failed! result=[%s]", reply.c_str());
        return false;
    }
    return true;
}
