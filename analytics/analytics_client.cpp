#include "analytics/analytics_client.h"

#include <chrono>

#include "analytics/curl_batch_sender.h"
#include "analytics/property_validation.h"

namespace analytics {
namespace {

constexpr char kLibrary[] = "cpp";
constexpr char kLibraryVersion[] = "0.8";

int64_t NowMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

CValueNode InitialSuperProperties() {
    CValueNode properties;
    properties.Set("$lib", CValueNode::String(kLibrary));
    properties.Set("$lib_version", CValueNode::String(kLibraryVersion));
    return properties;
}

}  // namespace

CAnalyticsClient& CAnalyticsClient::Instance() {
    static CAnalyticsClient* instance = new CAnalyticsClient();
    return *instance;
}

bool CAnalyticsClient::InitClient(const std::string& staging_path,
                                  const std::vector<std::string>& collector_urls,
                                  const std::string& distinct_id, std::unique_ptr<IBatchSender> sender) {
    std::lock_guard<std::mutex> guard(state_lock_);
    if (queue_) return true;
    if (!CheckDistinctId(distinct_id)) return false;
    if (!sender) sender = std::make_unique<CCurlBatchSender>();
    queue_ = std::make_shared<CRecordQueue>(staging_path, collector_urls, std::move(sender));
    distinct_id_ = distinct_id;
    super_properties_ = InitialSuperProperties();
    return true;
}

void CAnalyticsClient::RegisterSuperProperties(const CProperties& properties) {
    std::lock_guard<std::mutex> guard(state_lock_);
    for (const auto& [key, value] : properties.Node().Members()) super_properties_.Set(key, value);
}

void CAnalyticsClient::Track(const std::string& event_name, const CProperties& properties) {
    std::shared_ptr<CRecordQueue> queue;
    std::string distinct_id;
    CValueNode super_properties;
    {
        std::lock_guard<std::mutex> guard(state_lock_);
        if (!queue_) return;
        queue = queue_;
        distinct_id = distinct_id_;
        super_properties = super_properties_;
    }
    if (!CheckName(event_name, "Event Name")) return;
    if (!CheckEventProperties(properties.Node())) return;
    queue->Add(
        BuildEventRecord(distinct_id, event_name, super_properties, properties.Node(), NowMilliseconds()));
}

bool CAnalyticsClient::Flush() {
    std::shared_ptr<CRecordQueue> queue;
    {
        std::lock_guard<std::mutex> guard(state_lock_);
        queue = queue_;
    }
    return queue ? queue->Flush() : false;
}

void CAnalyticsClient::Shutdown() {
    std::shared_ptr<CRecordQueue> queue;
    {
        std::lock_guard<std::mutex> guard(state_lock_);
        queue = std::move(queue_);
        queue_.reset();
        distinct_id_.clear();
        super_properties_ = CValueNode();
    }
    if (queue) queue->Persist();
}

bool CAnalyticsClient::IsInitialised() const {
    std::lock_guard<std::mutex> guard(state_lock_);
    return queue_ != nullptr;
}

std::string CAnalyticsClient::GetDistinctId() const {
    std::lock_guard<std::mutex> guard(state_lock_);
    return distinct_id_;
}

std::vector<std::string> CAnalyticsClient::QueuedRecordsForTesting() const {
    std::shared_ptr<CRecordQueue> queue;
    {
        std::lock_guard<std::mutex> guard(state_lock_);
        queue = queue_;
    }
    return queue ? queue->Records() : std::vector<std::string>();
}

std::string BuildEventRecord(const std::string& distinct_id, const std::string& event_name,
                             const CValueNode& super_properties, const CValueNode& properties,
                             int64_t now_ms) {
    CValueNode merged = super_properties;
    for (const auto& [key, value] : properties.Members()) merged.Set(key, value);

    int64_t time_ms = now_ms;
    if (const CValueNode* time = merged.Find("$time");
        time && time->GetKind() == CValueNode::Kind::kDateTime) {
        time_ms = time->GetSeconds() * 1000 + time->GetMilliseconds();
    }
    merged.Remove("$time");

    CValueNode record;
    if (const CValueNode* project = merged.Find("$project")) {
        record.Set("project", *project);
        merged.Remove("$project");
    }

    CValueNode lib;
    lib.Set("$lib", CValueNode::String(kLibrary));
    lib.Set("$lib_method", CValueNode::String("code"));
    lib.Set("$lib_version", CValueNode::String(kLibraryVersion));

    record.Set("distinct_id", CValueNode::String(distinct_id));
    record.Set("event", CValueNode::String(event_name));
    record.Set("lib", std::move(lib));
    record.Set("properties", std::move(merged));
    record.Set("time", CValueNode::Integer(time_ms));
    record.Set("type", CValueNode::String("track"));
    return record.ToJson();
}

}  // namespace analytics
