// The services the run reports to: the install statistics record (StatisticsStore) and the analytics
// tracker. Start-up connects them before the product configuration is loaded; the end of the run posts the
// record and stops the tracker's sender.
#pragma once

#include <string>

class IxoMgr;

// The configuration loaders and the orchestrator write into the statistics store, and the orchestrator's
// events go to the analytics tracker.
void ConnectRunServices(IxoMgr& manager);

// Starts the analytics tracker with the program's identity and the language shown (display name). Called
// again after a language change it only registers the common properties anew.
void StartRunAnalytics(const IxoMgr& manager, const std::u16string& language_display_name);

// The end of the run: records the chosen language, completes the statistics record from the tasks and, when
// there were any, posts it (without the machine's identity when privacy is postponed), then stops the
// analytics sender, which delivers what is pending within its wait.
void CloseRunServices(IxoMgr& manager);
