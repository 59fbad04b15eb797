#include "app/run_services.h"

#include "analytics/analytics_tracker.h"
#include "app/analytics_values.h"
#include "app/config_statistics_store.h"
#include "app/ixo_mgr.h"
#include "app/lang_mgr.h"
#include "app/run_analytics.h"
#include "app/run_statistics_store.h"
#include "services/statistics_store.h"

namespace {

constexpr const char* kAnalyticsProject = "UA_Ixo_Web";
constexpr const char* kAnalyticsIdentifier = "UA-Ixo-Web";

bool PrivacyPostponed(const IxoMgr& manager) {
    return manager.GetProductConfig().PrivacyPost == u"1";
}

}  // namespace

void ConnectRunServices(IxoMgr& manager) {
    static CRunAnalytics run_analytics;
    manager.SetConfigStatistics(&ConfigStatisticsStore());
    OrchestratorServices services;
    services.statistics = &RunStatisticsStore();
    services.analytics = &run_analytics;
    manager.ConnectServices(services);
}

void StartRunAnalytics(const IxoMgr& manager, const std::u16string& language_display_name) {
    AnalyticsRunValues run;
    run.language_display_name = language_display_name;
    run.server_product_version = manager.GetServerConfig().version;
    run.server_product_name = manager.GetServerConfig().name;
    analytics::CAnalyticsTracker::Instance().Initialise(
        kAnalyticsProject, MakeAnalyticsValues(manager.GetProductConfig(), kAnalyticsIdentifier, run));
}

void CloseRunServices(IxoMgr& manager) {
    StatisticsStore& store = StatisticsStore::Instance();
    store.SetStatText("selectlang", LangMgr::GetLanguageCode(manager.GetRunConfig().SelectLang));
    if (manager.CompleteRunStatistics()) store.PostInstallStatistics(PrivacyPostponed(manager));
    analytics::CAnalyticsTracker::Instance().Stop();
}
