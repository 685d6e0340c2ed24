#include "app/ApplicationBusService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace veyrune {

ApplicationBusService::ApplicationBusService(std::function<void()> activate,
                                             std::function<bool(const QString&)> activateAction)
    : activate_(std::move(activate)), activateAction_(std::move(activateAction)) {}

bool ApplicationBusService::publish(QDBusConnection bus) {
    if (!bus.isConnected() ||
        !bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots)) {
        return false;
    }
    if (!bus.registerService(serviceName)) {
        bus.unregisterObject(objectPath);
        return false;
    }
    return true;
}

bool ApplicationBusService::activateRunningInstance(QDBusConnection bus) {
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(serviceName)) {
        return false;
    }
    // Never bus-activated from here: that would start the instance asking.
    auto call = QDBusMessage::createMethodCall(serviceName, objectPath,
                                               "org.freedesktop.Application", "Activate");
    call << QVariantMap{};
    call.setAutoStartService(false);
    return bus.call(call).type() == QDBusMessage::ReplyMessage;
}

void ApplicationBusService::Activate(const QVariantMap&) {
    activate_();
}

void ApplicationBusService::Open(const QStringList&, const QVariantMap&) {
    // Veyrune opens no documents; a request to open one brings it forward.
    activate_();
}

void ApplicationBusService::ActivateAction(const QString& name, const QVariantList&,
                                           const QVariantMap&) {
    if (!activateAction_(name)) {
        sendErrorReply("org.freedesktop.DBus.Error.InvalidArgs",
                       QStringLiteral("Veyrune has no action named \"%1\".").arg(name));
    }
}

}  // namespace veyrune
