// The bounded queue of serialised event records between Track and the collectors: at most 100 records, the
// oldest pushed out first; sent in batches of at most 30; kept in a staging file between runs.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "analytics/batch_sender.h"

namespace analytics {

class CRecordQueue {
public:
    static constexpr size_t kCapacity = 100;
    static constexpr size_t kBatchSize = 30;

    // The staging file is read back on the first flush (it holds the records of an earlier run) and
    // rewritten by Persist. Collector URLs are tried in the given order.
    CRecordQueue(std::string staging_path, std::vector<std::string> collector_urls,
                 std::unique_ptr<IBatchSender> sender);

    // Appends one record text at the back; drops the front record when that makes more than 100. After
    // Persist the record is dropped: the queue has been written out for the next run. Any thread.
    void Add(std::string record);

    // Loads staged records if not done yet, then sends the oldest batch of up to 30 records to the first
    // collector that answers 200. True when the queue was empty or the batch was accepted. A batch that
    // could not be sent goes back to the front, as much of it as fits (its newest records win). One flush at
    // a time; records may be added while a batch is in flight.
    bool Flush();

    // Waits for a flush in flight, loads staged records if not done yet, and rewrites the staging file with
    // every queued record, one per line. The queue takes no records afterwards.
    void Persist();

    // A copy of the queued records, oldest first.
    std::vector<std::string> Records() const;

private:
    void LoadStagedRecordsLocked();  // queue lock held
    bool Send(const std::string& body);

    const std::string staging_path_;
    const std::vector<std::string> collector_urls_;
    const std::unique_ptr<IBatchSender> sender_;

    std::mutex flush_lock_;          // taken before queue_lock_, never after it
    mutable std::mutex queue_lock_;  // guards everything below
    std::deque<std::string> records_;
    bool staged_pending_ = true;
    bool persisted_ = false;
};

}  // namespace analytics
