#include "analytics/analytics_tracker.h"

#include <atomic>
#include <chrono>

#include "analytics/analytics_client.h"
#include "platform/paths.h"
#include "system/deployment_profile.h"
#include "system/simple_log.h"

namespace analytics {
namespace {

std::atomic<CAnalyticsTracker*> g_tracker_for_testing{nullptr};

}  // namespace

CAnalyticsTracker& CAnalyticsTracker::Instance() {
    if (CAnalyticsTracker* tracker = g_tracker_for_testing.load()) return *tracker;
    static CAnalyticsTracker* tracker = new CAnalyticsTracker(DefaultTrackerSettings());
    // Destroyed at process exit, after main: the tracker itself stays, its client's queue is staged.
    static struct ExitHook {
        ~ExitHook() { tracker->ShutdownClient(); }
    } exit_hook;
    return *tracker;
}

CAnalyticsTracker::CAnalyticsTracker(TrackerSettings settings) : settings_(std::move(settings)) {}

CAnalyticsTracker::~CAnalyticsTracker() {
    std::unique_ptr<std::thread> sender;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        sender = std::move(sender_);
    }
    wake_.Signal();
    if (sender && sender->joinable()) sender->join();
    ShutdownClient();
}

void CAnalyticsTracker::Initialise(const std::string& project_name, const CommonPropertyValues& values) {
    bool initialised;
    {
        std::lock_guard<std::mutex> guard(lock_);
        initialised = initialised_;
    }
    if (!initialised) {
        std::vector<std::string> urls;
        for (const std::string& base : settings_.collector_bases)
            urls.push_back(base + "/collect?project=" + project_name);
        std::string distinct_id = DistinctIdFor(values);
        initialised = CAnalyticsClient::Instance().InitClient(
            settings_.staging_path, urls, distinct_id,
            settings_.make_sender ? settings_.make_sender() : nullptr);
        WriteLog(kLogInfo, "[INFO] analytics init tid=[%s], did=[%s], privacyPostpone=[%d], result=[%d].",
                 values.identifier.c_str(), distinct_id.c_str(), values.privacy_postponed ? 1 : 0,
                 initialised ? 1 : 0);
    }
    if (initialised)
        CAnalyticsClient::Instance().RegisterSuperProperties(
            BuildCommonProperties(values, ReadOsProperties()));

    bool has_sender;
    {
        std::lock_guard<std::mutex> guard(lock_);
        initialised_ = initialised;
        has_sender = sender_ != nullptr;
    }
    if (has_sender) wake_.Signal();
}

void CAnalyticsTracker::Queue(const std::string& event_name, CProperties properties) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        pending_.emplace_back(event_name, std::move(properties));
        if (!sender_) sender_ = std::make_unique<std::thread>([this] { SenderLoop(); });
    }
    wake_.Signal();
}

void CAnalyticsTracker::SenderLoop() {
    CAnalyticsClient& client = CAnalyticsClient::Instance();
    for (;;) {
        wake_.Wait();
        std::vector<std::pair<std::string, CProperties>> taken;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!initialised_) {
                if (stopping_) break;
                continue;
            }
            taken.swap(pending_);
        }
        for (const auto& [name, properties] : taken) {
            WriteLog(kLogInfo, "[INFO] analytics, event=[%s].", name.c_str());
            client.Track(name, properties);
            if (!client.Flush())
                WriteLog(kLogError, "[ERROR] analytics flush failed! event=[%s]", name.c_str());
        }
        std::lock_guard<std::mutex> guard(lock_);
        if (stopping_ && pending_.empty()) break;
    }
    WriteLog(kLogInfo, "[INFO] analytics, exit thread.");
    {
        std::lock_guard<std::mutex> guard(lock_);
        sender_finished_ = true;
    }
    sender_finished_changed_.notify_all();
}

void CAnalyticsTracker::Stop() {
    std::unique_lock<std::mutex> guard(lock_);
    stopping_ = true;
    if (!sender_) return;
    guard.unlock();
    wake_.Signal();
    guard.lock();
    if (sender_finished_changed_.wait_for(guard, settings_.stop_wait, [this] { return sender_finished_; })) {
        std::unique_ptr<std::thread> sender = std::move(sender_);
        // The thread object stays (without a thread) so that later events start no new sender.
        sender_ = std::make_unique<std::thread>();
        guard.unlock();
        if (sender->joinable()) sender->join();
    }
}

void CAnalyticsTracker::ShutdownClient() {
    std::vector<std::pair<std::string, CProperties>> left;
    bool initialised;
    {
        std::lock_guard<std::mutex> guard(lock_);
        left.swap(pending_);
        initialised = initialised_;
        initialised_ = false;
    }
    if (!initialised) return;
    CAnalyticsClient& client = CAnalyticsClient::Instance();
    for (const auto& [name, properties] : left) client.Track(name, properties);
    client.Shutdown();
}

bool CAnalyticsTracker::IsInitialised() const {
    std::lock_guard<std::mutex> guard(lock_);
    return initialised_;
}

TrackerSettings DefaultTrackerSettings() {
    const DeploymentProfile& profile = GetDeploymentProfile();
    TrackerSettings settings;
    for (const std::string& origin :
         {profile.analytics_collector_base, profile.analytics_collector_alternate_base}) {
        settings.collector_bases.push_back(origin + ":" + std::to_string(kCollectorPort));
    }
    settings.staging_path = platform::GetTempFolder() + "ixo_analytics";
    return settings;
}

ScopedTrackerForTesting::ScopedTrackerForTesting(CAnalyticsTracker& tracker) {
    g_tracker_for_testing = &tracker;
}

ScopedTrackerForTesting::~ScopedTrackerForTesting() {
    g_tracker_for_testing = nullptr;
}

}  // namespace analytics
