#include "system/linux/DBusSignalSubscription.h"

#include <QDBusConnectionInterface>

namespace veyrune {

DBusSignalSubscription::DBusSignalSubscription(QDBusConnection connection, const QString& service,
                                               const QString& path, const QString& interface,
                                               const QString& member, Handler handler,
                                               QObject* parent)
    : QObject(parent),
      connection_(std::move(connection)),
      service_(service),
      path_(path),
      interface_(interface),
      member_(member),
      handler_(std::move(handler)),
      ownerWatcher_(service, connection_, QDBusServiceWatcher::WatchForOwnerChange) {
    connect(&ownerWatcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) { owner_ = newOwner; });
    if (auto* bus = connection_.interface()) {
        auto reply = bus->serviceOwner(service_);
        if (reply.isValid()) {
            owner_ = reply.value();
        }
    }
    // QtDBus can only name a slot by its signature text here.
    connection_.connect(service_, path_, interface_, member_, this, SLOT(deliver(QDBusMessage)));
}

DBusSignalSubscription::~DBusSignalSubscription() {
    connection_.disconnect(service_, path_, interface_, member_, this, SLOT(deliver(QDBusMessage)));
}

void DBusSignalSubscription::deliver(const QDBusMessage& message) {
    if (owner_.isEmpty() || message.service() != owner_) {
        return;
    }
    handler_(message);
}

}  // namespace veyrune
