#include "system/linux/SessionSignalMonitor.h"

#include <unistd.h>

#include <QDBusObjectPath>
#include <QDBusReply>

#include "system/linux/DBusArguments.h"
#include "system/linux/LogindNames.h"

namespace veyrune {

namespace {

const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
constexpr int lookupTimeoutMs = 1000;

}  // namespace

SessionSignalMonitor::SessionSignalMonitor(QDBusConnection systemBus, QDBusConnection sessionBus,
                                           std::unique_ptr<MainThreadTimer> lockTimer,
                                           QObject* parent)
    : QObject(parent),
      systemBus_(std::move(systemBus)),
      sessionBus_(std::move(sessionBus)),
      lockTimer_(std::move(lockTimer)),
      lockState_(*lockTimer_, [this](const SessionLockChange& change) { lockChanged(change); }) {}

void SessionSignalMonitor::observe(SystemSignal signal, std::function<void()> handler) {
    handlers_[signal].push_back(std::move(handler));
    if (!subscribed_) {
        subscribed_ = true;
        subscribe();
    }
}

void SessionSignalMonitor::subscribe() {
    subscriptions_.push_back(std::make_unique<DBusSignalSubscription>(
        systemBus_, logind::service, logind::managerPath, logind::managerInterface,
        QStringLiteral("PrepareForSleep"), [this](const QDBusMessage& message) {
            if (auto sleeping = soleBoolean(message)) {
                report(*sleeping ? SystemSignal::prepareForSleepTrue
                                 : SystemSignal::prepareForSleepFalse);
            }
        }));
    subscriptions_.push_back(std::make_unique<DBusSignalSubscription>(
        sessionBus_, screenSaverService, screenSaverPath, screenSaverService,
        QStringLiteral("ActiveChanged"), [this](const QDBusMessage& message) {
            if (auto active = soleBoolean(message)) {
                lockState_.screenSaverActiveChanged(*active);
            }
        }));
    lockState_.start(subscribeToSession());
}

QString SessionSignalMonitor::findSessionPath() {
    auto byPid =
        QDBusMessage::createMethodCall(logind::service, logind::managerPath,
                                       logind::managerInterface, QStringLiteral("GetSessionByPID"));
    byPid << static_cast<quint32>(::getpid());
    QDBusReply<QDBusObjectPath> reply = systemBus_.call(byPid, QDBus::Block, lookupTimeoutMs);
    if (reply.isValid()) {
        return reply.value().path();
    }
    const QString sessionID = qEnvironmentVariable("XDG_SESSION_ID");
    if (sessionID.isEmpty()) {
        return {};
    }
    auto byID =
        QDBusMessage::createMethodCall(logind::service, logind::managerPath,
                                       logind::managerInterface, QStringLiteral("GetSession"));
    byID << sessionID;
    reply = systemBus_.call(byID, QDBus::Block, lookupTimeoutMs);
    return reply.isValid() ? reply.value().path() : QString();
}

SessionLockSnapshot SessionSignalMonitor::subscribeToSession() {
    sessionPath_ = findSessionPath();
    if (sessionPath_.isEmpty()) {
        return {};
    }
    for (auto [member, input] :
         {std::pair{QStringLiteral("Lock"), &SessionLockState::lockRequested},
          std::pair{QStringLiteral("Unlock"), &SessionLockState::unlockRequested}}) {
        subscriptions_.push_back(std::make_unique<DBusSignalSubscription>(
            systemBus_, logind::service, sessionPath_, logind::sessionInterface, member,
            [this, input](const QDBusMessage& message) {
                if (message.arguments().isEmpty()) {
                    (lockState_.*input)();
                }
            }));
    }
    subscriptions_.push_back(std::make_unique<DBusSignalSubscription>(
        systemBus_, logind::service, sessionPath_, logind::propertiesInterface,
        QStringLiteral("PropertiesChanged"),
        [this](const QDBusMessage& message) { sessionPropertiesChanged(message); }));
    // Read after subscribing, so no change falls between the two; changes
    // queued meanwhile repeat what was read and change nothing.
    auto read = [this](const QString& name) -> std::optional<bool> {
        auto value =
            getProperty(systemBus_, logind::service, sessionPath_, logind::sessionInterface, name);
        if (value && value->typeId() == QMetaType::Bool) {
            return value->toBool();
        }
        return std::nullopt;
    };
    return {read(QStringLiteral("LockedHint")), read(QStringLiteral("Active"))};
}

void SessionSignalMonitor::sessionPropertiesChanged(const QDBusMessage& message) {
    auto changed = changedProperties(message, logind::sessionInterface);
    if (!changed) {
        return;
    }
    if (auto hint = changed->value(QStringLiteral("LockedHint"));
        hint.typeId() == QMetaType::Bool) {
        lockState_.lockedHintChanged(hint.toBool());
    }
    if (auto active = changed->value(QStringLiteral("Active"));
        active.typeId() == QMetaType::Bool) {
        lockState_.activeChanged(active.toBool());
    }
}

void SessionSignalMonitor::lockChanged(const SessionLockChange& change) {
    using enum SessionLockCause;
    switch (change.cause) {
        case lockRequest:
            return report(SystemSignal::lockedByLockRequest);
        case unlockRequest:
            return report(SystemSignal::unlockedByUnlockRequest);
        case lockedHint:
            return report(change.locked ? SystemSignal::lockedByLockedHint
                                        : SystemSignal::unlockedByLockedHint);
        case screenSaver:
            return report(change.locked ? SystemSignal::lockedByScreenSaver
                                        : SystemSignal::unlockedByScreenSaver);
        case sessionActive:
            return report(SystemSignal::unlockedBySessionActive);
    }
}

void SessionSignalMonitor::report(SystemSignal signal) {
    auto found = handlers_.find(signal);
    if (found == handlers_.end()) {
        return;
    }
    for (const auto& handler : found->second) {
        handler();
    }
}

}  // namespace veyrune
