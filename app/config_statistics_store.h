// The statistics store behind the configuration loaders' view of the install statistics record. Start-up
// connects it (app/run_services.h) before the configuration is loaded.
#pragma once

#include "app/config_statistics.h"

// The process-wide connection; every call goes to StatisticsStore::Instance().
IConfigStatistics& ConfigStatisticsStore();
