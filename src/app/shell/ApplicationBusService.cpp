#include "app/shell/ApplicationBusService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <utility>

namespace veyrune {

ApplicationBusService::ApplicationBusService(std::function<void(Activation)> activate,
                                             std::function<bool(const QString&)> activateAction)
    : activate_(std::move(activate)), activateAction_(std::move(activateAction)) {}

bool ApplicationBusService::publish(QDBusConnection bus, bool startedByBus) {
    // The bus holds the request it started us for until the name is taken,
    // so it is the first call to arrive.
    startingRequestPending_ = startedByBus;
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

bool ApplicationBusService::takeStartingRequest() {
    return std::exchange(startingRequestPending_, false);
}

void ApplicationBusService::Activate(const QVariantMap&) {
    activate_(takeStartingRequest() ? Activation::launch : Activation::reopen);
}

void ApplicationBusService::Open(const QStringList&, const QVariantMap&) {
    // Veyrune opens no documents; a request to open one brings it forward.
    activate_(takeStartingRequest() ? Activation::launch : Activation::reopen);
}

void ApplicationBusService::ActivateAction(const QString& name, const QVariantList&,
                                           const QVariantMap&) {
    // An action the bus started us for is the launch; the next Activate is a reopen.
    takeStartingRequest();
    if (!activateAction_(name)) {
        sendErrorReply("org.freedesktop.DBus.Error.InvalidArgs",
                       QStringLiteral("Veyrune has no action named \"%1\".").arg(name));
    }
}

}  // namespace veyrune
