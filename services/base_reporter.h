// CBaseReporter: one problem report of the run's log files. It fetches a token, uploads the main log and the
// extra files that exist, and hands the list of uploaded files to the concrete reporter, which files either a
// log report (CLogReporter) or a support ticket (CSupportReporter). A reporter lives on the stack of the
// function that sends one report; SendFiles blocks for all its transfers.
#pragma once

#include <string>
#include <vector>

class CBaseReporter {
public:
    // `client_serial`: the machine's client signature for the configured brand, UTF-8.
    explicit CBaseReporter(std::string client_serial);
    virtual ~CBaseReporter();

    virtual bool IsReady() = 0;
    // Uploads one file; true when the platform accepted it.
    virtual bool UploadFile(const std::string& path) = 0;
    // Files the report over the uploaded files, in upload order.
    virtual bool SubmitReport(const std::vector<std::string>& uploaded) = 0;

    // The whole report: a token, then the main log (<log folder>kxIXO.log), then `extra_log_path` and its
    // ".SubPack1.log" to ".SubPack3.log" siblings (the path without its last four characters plus that
    // ending), each uploaded when it exists, then SubmitReport. False without a token, and when the
    // concrete reporter refuses to file a report.
    bool SendFiles(const std::string& extra_log_path);

    // The product being installed and its version, replacing the reporter's own (the caller knows them
    // once the configuration is loaded).
    void SetProductId(std::string product_id) { product_id_ = std::move(product_id); }
    void SetProductVersion(std::string version) { product_version_ = std::move(version); }

    // The files SendFiles would try, in order: the main log, then the extra path and its siblings.
    static std::vector<std::string> CandidateFiles(const std::string& extra_log_path);

protected:
    const std::string reporting_product_id_ = "14424";  // this downloader at the platform: "X-Prod-Id", "pid"
    const std::string client_serial_;
    std::string product_id_ = "14424";
    std::string product_version_;  // this executable's file version until the caller sets another
    const std::string file_version_;
    std::string token_;
};
