#include "system/linux/LinuxSystemServices.h"

#include "system/linux/LinuxShutdownSignalSource.h"
#include "system/linux/LinuxSystemEventSource.h"
#include "system/linux/LogindSleepInhibitor.h"
#include "system/linux/LogindWakeNotificationSource.h"
#include "system/linux/NetworkManagerPathMonitor.h"
#include "system/linux/ScreenSaverDisplaySleepSource.h"
#include "system/linux/SysfsWakeReasonReader.h"

namespace veyrune {

LinuxSystemServices LinuxSystemServices::create(QDBusConnection systemBus,
                                                QDBusConnection sessionBus,
                                                const std::filesystem::path& root) {
    LinuxSystemServices services;
    services.eventSource = std::make_unique<LinuxSystemEventSource>(systemBus, sessionBus, root);
    services.wakeReasons = std::make_unique<SysfsWakeReasonReader>(root);
    services.powerManager = std::make_unique<LogindSleepInhibitor>(systemBus);
    services.displaySleep = std::make_unique<ScreenSaverDisplaySleepSource>(sessionBus);
    services.network = std::make_unique<NetworkManagerPathMonitor>(systemBus);
    services.wake = std::make_unique<LogindWakeNotificationSource>(systemBus);
    services.shutdown = std::make_unique<LinuxShutdownSignalSource>(systemBus);
    return services;
}

}  // namespace veyrune
