#include "services/base_reporter.h"

#include "platform/file_system.h"
#include "services/platform_api_client.h"
#include "services/run_facts.h"
#include "system/simple_log.h"

CBaseReporter::CBaseReporter(std::string client_serial)
    : client_serial_(std::move(client_serial)),
      product_version_(ExecutableFileVersion()),
      file_version_(product_version_) {}

CBaseReporter::~CBaseReporter() = default;

std::vector<std::string> CBaseReporter::CandidateFiles(const std::string& extra_log_path) {
    std::vector<std::string> files = {GetLogFolder() + "kxIXO.log"};
    // Without an extra path the sibling names would be bare ".SubPackN.log" in the working directory.
    if (extra_log_path.empty()) return files;
    files.push_back(extra_log_path);
    const std::string stem =
        extra_log_path.substr(0, extra_log_path.size() >= 4 ? extra_log_path.size() - 4 : 0);
    for (const char* ending : {".SubPack1.log", ".SubPack2.log", ".SubPack3.log"})
        files.push_back(stem + ending);
    return files;
}

bool CBaseReporter::SendFiles(const std::string& extra_log_path) {
    token_ = GetAccessToken(reporting_product_id_, client_serial_, file_version_);
    if (!IsReady() || token_.empty()) {
        WriteLog(kLogError, "[ERROR] send file failed! not init.");
        return false;
    }
    std::vector<std::string> uploaded;
    for (const std::string& file : CandidateFiles(extra_log_path)) {
        if (platform::FileExists(file) && UploadFile(file)) uploaded.push_back(file);
    }
    return SubmitReport(uploaded);
}
