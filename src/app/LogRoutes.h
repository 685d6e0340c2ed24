#pragma once

#include <vector>

#include "app/ForwardingStack.h"
#include "model/SettingsBridge.h"

namespace veyrune {

// The routes the program forwards the log on, each built from the settings
// whenever they change. `settings` must outlive the routes.
std::vector<LogRoute> logRoutes(SettingsBridge& settings);

// The system journal's route while "recordInSystemJournal" is on.
std::optional<RouteSink> systemJournalSink(SettingsBridge& settings);

// The central collector's RELP route from "collectorAddress" and its files;
// nothing when no address (or one that cannot be read) is set.
std::optional<RouteSink> collectorSink(SettingsBridge& settings);

// True for the settings keys that change a route.
bool isLogRouteSetting(const char* key);

}  // namespace veyrune
