#include "system/linux/LogindWakeNotificationSource.h"

#include "system/linux/DBusArguments.h"
#include "system/linux/LogindNames.h"

namespace veyrune {

LogindWakeNotificationSource::LogindWakeNotificationSource(QDBusConnection systemBus) {
    subscription_ = std::make_unique<DBusSignalSubscription>(
        std::move(systemBus), logind::service, logind::managerPath, logind::managerInterface,
        QStringLiteral("PrepareForSleep"), [this](const QDBusMessage& message) {
            if (soleBoolean(message) == false) {
                woke();
            }
        });
}

void LogindWakeNotificationSource::observeWake(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void LogindWakeNotificationSource::stopObservingWake() {
    std::lock_guard lock(mutex_);
    handler_ = nullptr;
}

void LogindWakeNotificationSource::woke() {
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
    }
    if (handler) {
        handler();
    }
}

}  // namespace veyrune
