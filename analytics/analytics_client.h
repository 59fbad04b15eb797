// The analytics event client: turns a named event with properties into one JSON record, queues it and sends
// queued records to the collectors. Identifies itself as library "cpp", version "0.8". One per process.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "analytics/batch_sender.h"
#include "analytics/properties.h"
#include "analytics/record_queue.h"

namespace analytics {

class CAnalyticsClient {
public:
    // The process-wide client. It is never destroyed, so a sender thread that outlives the end of main
    // still finds it; Shutdown is what ends its work.
    static CAnalyticsClient& Instance();

    // Starts the client with its staging file, collector URLs (tried in order) and distinct id (1 to 255
    // bytes, else false). A null sender posts with libcurl. The super properties start as $lib = "cpp" and
    // $lib_version = "0.8". Once started, later calls do nothing and return true.
    bool InitClient(const std::string& staging_path, const std::vector<std::string>& collector_urls,
                    const std::string& distinct_id, std::unique_ptr<IBatchSender> sender = nullptr);

    // Copies every property into the super properties, replacing equal keys.
    void RegisterSuperProperties(const CProperties& properties);

    // Validates the event (name, property keys, "$time" and "$project" types), builds its record and queues
    // it. An invalid event is dropped with a diagnostic line. Does nothing before InitClient.
    void Track(const std::string& event_name, const CProperties& properties);

    // Sends one batch (see CRecordQueue::Flush). False before InitClient.
    bool Flush();

    // Writes the queued records to the staging file and returns the client to its state before InitClient.
    void Shutdown();

    bool IsInitialised() const;
    std::string GetDistinctId() const;
    std::vector<std::string> QueuedRecordsForTesting() const;

private:
    CAnalyticsClient() = default;

    mutable std::mutex state_lock_;  // guards the members below, never held across a queue operation
    CValueNode super_properties_;
    std::string distinct_id_;
    // Shared so that a flush in flight keeps the queue alive across a Shutdown on another thread.
    std::shared_ptr<CRecordQueue> queue_;
};

// The record of one event, as Track serialises it: distinct_id, event, lib, project (when the properties hold
// "$project"), properties (super properties overlaid by the event's, without "$time" and "$project"), time
// (milliseconds since 1970 UTC, from "$time" or `now_ms`) and type "track", keys in byte order.
std::string BuildEventRecord(const std::string& distinct_id, const std::string& event_name,
                             const CValueNode& super_properties, const CValueNode& properties,
                             int64_t now_ms);

}  // namespace analytics
