#include "system/linux/LogindSleepInhibitor.h"

#include <QDBusReply>
#include <QtGlobal>

#include "system/linux/DBusArguments.h"
#include "system/linux/LogindNames.h"

namespace veyrune {

namespace {

const QString sleepWhat = QStringLiteral("sleep");
const QString sleepWhy = QStringLiteral("Sending queued alerts before sleep");

}  // namespace

LogindSleepInhibitor::LogindSleepInhibitor(QDBusConnection systemBus)
    : systemBus_(std::move(systemBus)) {}

LogindSleepInhibitor::~LogindSleepInhibitor() {
    *alive_ = false;
}

bool LogindSleepInhibitor::registerForSleep(WillSleepHandler onWillSleep) {
    if (subscription_) {
        return true;
    }
    auto inhibitor = LogindInhibitor::take(systemBus_, sleepWhat, sleepWhy);
    if (!inhibitor) {
        return false;
    }
    inhibitor_ = std::move(inhibitor);
    onWillSleep_ = std::move(onWillSleep);
    subscription_ = std::make_unique<DBusSignalSubscription>(
        systemBus_, logind::service, logind::managerPath, logind::managerInterface,
        QStringLiteral("PrepareForSleep"), [this](const QDBusMessage& message) {
            if (auto sleeping = soleBoolean(message)) {
                prepareForSleep(*sleeping);
            }
        });
    checkDelayLimit();
    return true;
}

void LogindSleepInhibitor::deregister() {
    subscription_.reset();
    onWillSleep_ = nullptr;
    if (inhibitor_) {
        inhibitor_->release();
        inhibitor_.reset();
    }
}

bool LogindSleepInhibitor::probe() {
    auto canSuspend =
        QDBusMessage::createMethodCall(logind::service, logind::managerPath,
                                       logind::managerInterface, QStringLiteral("CanSuspend"));
    QDBusReply<QString> answer = systemBus_.call(canSuspend, QDBus::Block, 1000);
    if (!answer.isValid()) {
        return false;
    }
    return LogindInhibitor::take(systemBus_, sleepWhat, sleepWhy) != nullptr;
}

bool LogindSleepInhibitor::isHoldingSleep() const {
    return inhibitor_ && inhibitor_->isHeld();
}

void LogindSleepInhibitor::prepareForSleep(bool sleeping) {
    if (sleeping) {
        // The acknowledgement owns the lock: it releases it once when called,
        // or when the last copy is dropped without being called.
        std::shared_ptr<LogindInhibitor> held = std::move(inhibitor_);
        if (onWillSleep_) {
            onWillSleep_([held] {
                if (held) {
                    held->release();
                }
            });
        }
        return;
    }
    if (isHoldingSleep()) {
        return;
    }
    LogindInhibitor::takeLater(systemBus_, sleepWhat, sleepWhy,
                               [this, alive = alive_](std::unique_ptr<LogindInhibitor> taken) {
                                   if (*alive && subscription_ && !isHoldingSleep()) {
                                       inhibitor_ = std::move(taken);
                                   }
                               });
}

void LogindSleepInhibitor::checkDelayLimit() {
    // Kept for whoever asks (inhibitDelayMaxUSec); a limit under 5 s shortens the hold
    // silently, as logind enforces it whatever Veyrune wants.
    auto value = getProperty(systemBus_, logind::service, logind::managerPath,
                             logind::managerInterface, QStringLiteral("InhibitDelayMaxUSec"));
    if (!value || value->typeId() != QMetaType::ULongLong) {
        inhibitDelayMax_.reset();
        return;
    }
    inhibitDelayMax_ = value->toULongLong();
}

}  // namespace veyrune
