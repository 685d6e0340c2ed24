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
                                           QObject* parent)
    : QObject(parent), systemBus_(std::move(systemBus)), sessionBus_(std::move(sessionBus)) {}

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
    subscribeToSession();
    subscriptions_.push_back(std::make_unique<DBusSignalSubscription>(
        sessionBus_, screenSaverService, screenSaverPath, screenSaverService,
        QStringLiteral("ActiveChanged"), [this](const QDBusMessage& message) {
            if (auto active = soleBoolean(message)) {
                report(*active ? SystemSignal::screenSaverActiveTrue
                               : SystemSignal::screenSaverActiveFalse);
            }
        }));
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

void SessionSignalMonitor::subscribeToSession() {
    sessionPath_ = findSessionPath();
    if (sessionPath_.isEmpty()) {
        return;
    }
    auto read = [this](const QString& name) -> std::optional<bool> {
        auto value =
            getProperty(systemBus_, logind::service, sessionPath_, logind::sessionInterface, name);
        if (value && value->typeId() == QMetaType::Bool) {
            return value->toBool();
        }
        return std::nullopt;
    };
    lockedHint_ = read(QStringLiteral("LockedHint"));
    active_ = read(QStringLiteral("Active"));
    for (auto [member, signal] :
         {std::pair{QStringLiteral("Lock"), SystemSignal::sessionLock},
          std::pair{QStringLiteral("Unlock"), SystemSignal::sessionUnlock}}) {
        subscriptions_.push_back(std::make_unique<DBusSignalSubscription>(
            systemBus_, logind::service, sessionPath_, logind::sessionInterface, member,
            [this, signal](const QDBusMessage& message) {
                if (message.arguments().isEmpty()) {
                    report(signal);
                }
            }));
    }
    subscriptions_.push_back(std::make_unique<DBusSignalSubscription>(
        systemBus_, logind::service, sessionPath_, logind::propertiesInterface,
        QStringLiteral("PropertiesChanged"),
        [this](const QDBusMessage& message) { sessionPropertiesChanged(message); }));
}

void SessionSignalMonitor::sessionPropertiesChanged(const QDBusMessage& message) {
    auto changed = changedProperties(message, logind::sessionInterface);
    if (!changed) {
        return;
    }
    auto update = [&](const QString& name, std::optional<bool>& known, SystemSignal turnedTrue,
                      std::optional<SystemSignal> turnedFalse) {
        const auto value = changed->value(name);
        if (value.typeId() != QMetaType::Bool || known == value.toBool()) {
            return;
        }
        known = value.toBool();
        if (*known) {
            report(turnedTrue);
        } else if (turnedFalse) {
            report(*turnedFalse);
        }
    };
    update(QStringLiteral("LockedHint"), lockedHint_, SystemSignal::sessionLockedHintTrue,
           SystemSignal::sessionLockedHintFalse);
    update(QStringLiteral("Active"), active_, SystemSignal::sessionActiveTrue, std::nullopt);
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
