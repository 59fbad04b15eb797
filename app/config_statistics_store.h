// The statistics store behind the configuration loaders' view of the install statistics record. Start-up
// connects it with IxoMgr::SetConfigStatistics(&ConfigStatisticsStore()) before the configuration is loaded.
#pragma once

#include "app/config_statistics.h"

// The process-wide connection; every call goes to StatisticsStore::Instance().
IConfigStatistics& ConfigStatisticsStore();
