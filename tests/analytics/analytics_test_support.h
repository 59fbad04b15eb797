// Helpers of the analytics tests: a sender that records what it is given and answers as scripted, and the
// decoding of a batch body back to its records.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "analytics/batch_sender.h"

namespace analyticstest {

// Undoes the wire form: percent-decoding, base64, gunzip. Empty when any step fails.
std::string DecodeBatchBody(const std::string& body);

// The records of a batch body, each re-serialised compactly (the batch is a JSON array of objects).
std::vector<std::string> DecodeBatchRecords(const std::string& body);

class CRecordingSender : public analytics::IBatchSender {
public:
    struct Request {
        std::string url;
        std::string body;
        long status = 0;  // what was answered
    };

    // Status answered for a URL; URLs not listed answer `default_status`.
    void SetStatus(const std::string& url, long status);
    void SetDefaultStatus(long status);

    // Runs inside the next Post, before it answers: what happens while a batch is in flight.
    void SetDuringNextPost(std::function<void()> action);

    Response Post(const std::string& url, const std::string& body) override;

    std::vector<Request> Posts() const;

private:
    mutable std::mutex lock_;
    std::map<std::string, long> statuses_;
    long default_status_ = 200;
    std::function<void()> during_next_post_;
    std::vector<Request> posts_;
};

}  // namespace analyticstest
