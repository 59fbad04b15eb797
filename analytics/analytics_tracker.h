// The program's layer over the analytics client: one tracker that starts the client with the collector
// addresses and the program's identity, registers the common properties, and delivers events from a sender
// thread of its own, so that no caller waits for the network.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "analytics/batch_sender.h"
#include "analytics/common_properties.h"
#include "analytics/properties.h"
#include "analytics/wake_event.h"

namespace analytics {

// The collector listens on this port of each of the profile's collector origins.
inline constexpr int kCollectorPort = 8106;

struct TrackerSettings {
    // Collector addresses ("https://host:8106"), primary first; each gets "/collect?project=<project>".
    std::vector<std::string> collector_bases;
    // The client's staging file.
    std::string staging_path;
    // Makes the client's sender; null posts with libcurl.
    std::function<std::unique_ptr<IBatchSender>()> make_sender;
    // How long Stop waits for the sender thread.
    std::chrono::milliseconds stop_wait{5000};
};

// The settings of the process-wide tracker.
TrackerSettings DefaultTrackerSettings();

class CAnalyticsTracker {
public:
    // The process-wide tracker, with the collectors of the deployment profile and the staging file
    // "ixo_analytics" in the temporary folder. It is never destroyed (the sender thread may outlive main);
    // at process exit ShutdownClient runs. While a ScopedTrackerForTesting exists, that tracker instead.
    static CAnalyticsTracker& Instance();

    explicit CAnalyticsTracker(TrackerSettings settings);
    // Waits for the sender thread without limit, then ShutdownClient. Only trackers made by tests end.
    ~CAnalyticsTracker();
    CAnalyticsTracker(const CAnalyticsTracker&) = delete;
    CAnalyticsTracker& operator=(const CAnalyticsTracker&) = delete;

    // Starts the client (once) with the distinct id of `values`, logs the outcome and registers the common
    // properties; called again (after a language change) it only registers them again. Wakes the sender,
    // so that events queued before are delivered now.
    void Initialise(const std::string& project_name, const CommonPropertyValues& values);

    // Queues an event for the sender thread, starting that thread with the first event. Never blocks on
    // the network. Any thread.
    void Queue(const std::string& event_name, CProperties properties);

    // Asks the sender thread to deliver what is pending and end, and waits for it at most 5,000 ms (the
    // settings' stop wait). A sender that does not end in time is left running; the program goes on exiting.
    void Stop();

    // Process exit: events still pending are recorded into the client's queue, and the client writes its
    // queue to the staging file for the next run. Waits for a send in flight.
    void ShutdownClient();

    bool IsInitialised() const;

private:
    void SenderLoop();

    const TrackerSettings settings_;

    mutable std::mutex lock_;  // guards everything below
    bool initialised_ = false;
    bool stopping_ = false;
    bool sender_finished_ = false;
    std::condition_variable sender_finished_changed_;
    std::vector<std::pair<std::string, CProperties>> pending_;  // in queuing order
    std::unique_ptr<std::thread> sender_;
    CWakeEvent wake_;
};

// Makes CAnalyticsTracker::Instance() answer `tracker` for its lifetime.
class ScopedTrackerForTesting {
public:
    explicit ScopedTrackerForTesting(CAnalyticsTracker& tracker);
    ~ScopedTrackerForTesting();
    ScopedTrackerForTesting(const ScopedTrackerForTesting&) = delete;
    ScopedTrackerForTesting& operator=(const ScopedTrackerForTesting&) = delete;
};

}  // namespace analytics
