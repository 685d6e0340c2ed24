#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "system/SystemSignal.h"
#include "system/linux/DBusSignalSubscription.h"

namespace veyrune {

// Reports logind's sleep and session signals and the screen saver's as
// `SystemSignal`s: Manager.PrepareForSleep; Lock, Unlock and the LockedHint and
// Active properties of this process's session (found with GetSessionByPID,
// else from XDG_SESSION_ID); org.freedesktop.ScreenSaver.ActiveChanged on the
// session bus. Property signals are reported when the value changes. Only the
// owners of the services are heard, and malformed signals are ignored.
// Subscribes on the first `observe`. Main thread.
class SessionSignalMonitor final : public QObject {
  public:
    SessionSignalMonitor(QDBusConnection systemBus, QDBusConnection sessionBus,
                         QObject* parent = nullptr);

    void observe(SystemSignal signal, std::function<void()> handler);
    // The logind session object listened to; empty when none was found.
    const QString& sessionPath() const { return sessionPath_; }

  private:
    void subscribe();
    QString findSessionPath();
    void subscribeToSession();
    void sessionPropertiesChanged(const QDBusMessage& message);
    void report(SystemSignal signal);

    QDBusConnection systemBus_;
    QDBusConnection sessionBus_;
    bool subscribed_ = false;
    QString sessionPath_;
    std::optional<bool> lockedHint_;
    std::optional<bool> active_;
    std::map<SystemSignal, std::vector<std::function<void()>>> handlers_;
    std::vector<std::unique_ptr<DBusSignalSubscription>> subscriptions_;
};

}  // namespace veyrune
