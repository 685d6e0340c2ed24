#include "system/linux/ScreenSaverDisplaySleepSource.h"

#include <vector>

#include "system/linux/DBusArguments.h"

namespace veyrune {

ScreenSaverDisplaySleepSource::ScreenSaverDisplaySleepSource(QDBusConnection sessionBus) {
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    subscription_ = std::make_unique<DBusSignalSubscription>(
        std::move(sessionBus), service, QStringLiteral("/org/freedesktop/ScreenSaver"), service,
        QStringLiteral("ActiveChanged"), [this](const QDBusMessage& message) {
            if (soleBoolean(message) == true) {
                screenSaverActivated();
            }
        });
}

DisplaySleepSource::ObserverID ScreenSaverDisplaySleepSource::addObserver(
    std::function<void()> observer) {
    std::lock_guard lock(mutex_);
    observers_[++lastID_] = std::move(observer);
    return lastID_;
}

void ScreenSaverDisplaySleepSource::removeObserver(ObserverID id) {
    std::lock_guard lock(mutex_);
    observers_.erase(id);
}

void ScreenSaverDisplaySleepSource::screenSaverActivated() {
    std::vector<std::function<void()>> current;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, observer] : observers_) {
            current.push_back(observer);
        }
    }
    for (const auto& observer : current) {
        observer();
    }
}

}  // namespace veyrune
