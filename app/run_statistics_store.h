// The statistics store behind the orchestrator's view of the install statistics record. Start-up connects it
// through IxoMgr::ConnectServices (see app/run_services.h).
#pragma once

#include "app/orchestrator_services.h"

// The process-wide connection; every call goes to StatisticsStore::Instance().
IRunStatistics& RunStatisticsStore();
