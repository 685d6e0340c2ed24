#include "system/linux/LogindInhibitor.h"

#include <unistd.h>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include "system/linux/LogindNames.h"

namespace veyrune {

namespace {

constexpr int callTimeoutMs = 5000;

QDBusMessage inhibitCall(const QString& what, const QString& why) {
    auto call = QDBusMessage::createMethodCall(logind::service, logind::managerPath,
                                               logind::managerInterface, QStringLiteral("Inhibit"));
    call << what << logind::applicationName << why << QStringLiteral("delay");
    return call;
}

// The reply's descriptor, duplicated out of Qt's wrapper; nothing on failure.
std::unique_ptr<LogindInhibitor> lockFrom(const QDBusPendingReply<QDBusUnixFileDescriptor>& reply) {
    if (!reply.isValid() || !reply.value().isValid()) {
        return nullptr;
    }
    const int descriptor = ::dup(reply.value().fileDescriptor());
    if (descriptor < 0) {
        return nullptr;
    }
    return std::make_unique<LogindInhibitor>(descriptor);
}

}  // namespace

void LogindInhibitor::release() {
    std::lock_guard lock(mutex_);
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

bool LogindInhibitor::isHeld() const {
    std::lock_guard lock(mutex_);
    return descriptor_ >= 0;
}

std::unique_ptr<LogindInhibitor> LogindInhibitor::take(QDBusConnection& systemBus,
                                                       const QString& what, const QString& why) {
    QDBusPendingReply<QDBusUnixFileDescriptor> reply =
        systemBus.call(inhibitCall(what, why), QDBus::Block, callTimeoutMs);
    return lockFrom(reply);
}

void LogindInhibitor::takeLater(QDBusConnection& systemBus, const QString& what, const QString& why,
                                std::function<void(std::unique_ptr<LogindInhibitor>)> done) {
    auto* watcher =
        new QDBusPendingCallWatcher(systemBus.asyncCall(inhibitCall(what, why), callTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [done = std::move(done)](QDBusPendingCallWatcher* finished) {
                         QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
                         done(lockFrom(reply));
                         finished->deleteLater();
                     });
}

}  // namespace veyrune
