#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "system/MainThreadTimer.h"
#include "system/SessionLockState.h"
#include "system/SystemSignal.h"
#include "system/linux/DBusSignalSubscription.h"

namespace veyrune {

// Reports logind's sleep signals and the lock changes of this process's
// session as `SystemSignal`s. Manager.PrepareForSleep passes straight through.
// The session (found with GetSessionByPID, else from XDG_SESSION_ID) feeds its
// Lock and Unlock signals and its LockedHint and Active properties, and the
// session bus's org.freedesktop.ScreenSaver.ActiveChanged, into one
// `SessionLockState`, so each real lock change is reported once. Only the
// owners of the services are heard, and malformed signals are ignored.
// Subscribes on the first `observe`. Main thread.
class SessionSignalMonitor final : public QObject {
  public:
    // `lockTimer` times the grace of a Lock request that no locker confirms.
    SessionSignalMonitor(QDBusConnection systemBus, QDBusConnection sessionBus,
                         std::unique_ptr<MainThreadTimer> lockTimer, QObject* parent = nullptr);

    void observe(SystemSignal signal, std::function<void()> handler);
    // The logind session object listened to; empty when none was found.
    const QString& sessionPath() const { return sessionPath_; }

  private:
    void subscribe();
    QString findSessionPath();
    SessionLockSnapshot subscribeToSession();
    void sessionPropertiesChanged(const QDBusMessage& message);
    void lockChanged(const SessionLockChange& change);
    void report(SystemSignal signal);

    QDBusConnection systemBus_;
    QDBusConnection sessionBus_;
    std::unique_ptr<MainThreadTimer> lockTimer_;
    SessionLockState lockState_;
    bool subscribed_ = false;
    QString sessionPath_;
    std::map<SystemSignal, std::vector<std::function<void()>>> handlers_;
    std::vector<std::unique_ptr<DBusSignalSubscription>> subscriptions_;
};

}  // namespace veyrune
