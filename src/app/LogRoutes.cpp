#include "app/LogRoutes.h"

#include <unistd.h>

#include <cstring>

#include "forward/RELPLineSink.h"
#include "forward/SystemJournalSink.h"

namespace veyrune {

namespace {

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return "";
    }
    return name;
}

}  // namespace

std::vector<LogRoute> logRoutes(SettingsBridge& settings) {
    return {
        {ForwardingStack::systemJournalRoute, [&settings] { return systemJournalSink(settings); }},
        {ForwardingStack::collectorRoute, [&settings] { return collectorSink(settings); }},
    };
}

std::optional<RouteSink> systemJournalSink(SettingsBridge& settings) {
    if (!settings.value(Settings::recordInSystemJournal)) {
        return std::nullopt;
    }
    return RouteSink{std::make_shared<SystemJournalSink>(), "the system journal"};
}

std::optional<RouteSink> collectorSink(SettingsBridge& settings) {
    auto address = CollectorAddress::parse(settings.value(Settings::collectorAddress));
    if (!address) {
        return std::nullopt;
    }
    RELPLineSink::Configuration configuration{
        *address, settings.value(Settings::collectorCAFile),
        settings.value(Settings::collectorClientCertificateFile),
        settings.value(Settings::collectorClientKeyFile), hostName()};
    try {
        return RouteSink{std::make_shared<RELPLineSink>(std::move(configuration)),
                         address->host + ":" + address->port};
    } catch (const LineSinkError&) {
        return std::nullopt;
    }
}

bool isLogRouteSetting(const char* key) {
    for (const char* routeKey :
         {Settings::recordInSystemJournal.key, Settings::collectorAddress.key,
          Settings::collectorCAFile.key, Settings::collectorClientCertificateFile.key,
          Settings::collectorClientKeyFile.key}) {
        if (std::strcmp(key, routeKey) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace veyrune
