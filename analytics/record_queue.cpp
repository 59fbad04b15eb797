#include "analytics/record_queue.h"

#include <algorithm>
#include <sstream>

#include "analytics/batch_encoding.h"
#include "analytics/diagnostics.h"
#include "platform/file_system.h"

namespace analytics {

CRecordQueue::CRecordQueue(std::string staging_path, std::vector<std::string> collector_urls,
                           std::unique_ptr<IBatchSender> sender)
    : staging_path_(std::move(staging_path)),
      collector_urls_(std::move(collector_urls)),
      sender_(std::move(sender)) {}

void CRecordQueue::Add(std::string record) {
    std::lock_guard<std::mutex> guard(queue_lock_);
    if (persisted_) return;
    records_.push_back(std::move(record));
    if (records_.size() > kCapacity) records_.pop_front();
}

bool CRecordQueue::Flush() {
    std::lock_guard<std::mutex> flush_guard(flush_lock_);
    std::vector<std::string> batch;
    {
        std::lock_guard<std::mutex> guard(queue_lock_);
        if (persisted_) return false;
        LoadStagedRecordsLocked();
        if (records_.empty()) return true;
        size_t count = std::min(records_.size(), kBatchSize);
        batch.assign(std::make_move_iterator(records_.begin()),
                     std::make_move_iterator(records_.begin() + count));
        records_.erase(records_.begin(), records_.begin() + count);
    }

    std::string body;
    bool sent = BuildBatchBody(batch, body) && Send(body);
    if (sent) return true;

    // Whatever failed, the batch goes back in front of the records added meanwhile, newest first, so that
    // the oldest ones are the ones left out when room is short.
    std::lock_guard<std::mutex> guard(queue_lock_);
    if (persisted_) return false;
    size_t room = kCapacity - std::min(kCapacity, records_.size());
    size_t kept = std::min(room, batch.size());
    for (size_t i = 0; i < kept; ++i) records_.push_front(std::move(batch[batch.size() - 1 - i]));
    return false;
}

bool CRecordQueue::Send(const std::string& body) {
    std::string last_body;
    for (const std::string& url : collector_urls_) {
        IBatchSender::Response response = sender_->Post(url, body);
        if (response.status == 200) return true;
        last_body = std::move(response.body);
    }
    ReportDiagnostic("Analytics SDK send failed: " + last_body);
    return false;
}

void CRecordQueue::LoadStagedRecordsLocked() {
    if (!staged_pending_) return;
    staged_pending_ = false;
    if (records_.size() < kCapacity) {
        std::optional<std::string> content = platform::ReadFile(staging_path_);
        std::vector<std::string> staged;
        std::istringstream lines(content.value_or(std::string()));
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.front() == '{' && line.back() == '}') staged.push_back(std::move(line));
        }
        size_t room = kCapacity - records_.size();
        size_t skipped = staged.size() > room ? staged.size() - room : 0;
        records_.insert(records_.begin(), std::make_move_iterator(staged.begin() + skipped),
                        std::make_move_iterator(staged.end()));
    }
    if (platform::FileExists(staging_path_)) platform::WriteFileAtomically(staging_path_, std::string());
}

void CRecordQueue::Persist() {
    // A flush in flight would otherwise hold a batch that is neither sent nor written out; its transfer is
    // bounded by the sender's time limit.
    std::lock_guard<std::mutex> flush_guard(flush_lock_);
    std::lock_guard<std::mutex> guard(queue_lock_);
    if (persisted_) return;
    LoadStagedRecordsLocked();
    std::string content;
    for (const std::string& record : records_) {
        content += record;
        content += '\n';
    }
    platform::WriteFileAtomically(staging_path_, content);
    persisted_ = true;
}

std::vector<std::string> CRecordQueue::Records() const {
    std::lock_guard<std::mutex> guard(queue_lock_);
    return std::vector<std::string>(records_.begin(), records_.end());
}

}  // namespace analytics
