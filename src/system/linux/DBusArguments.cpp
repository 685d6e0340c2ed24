#include "system/linux/DBusArguments.h"

#include <QDBusArgument>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace veyrune {

namespace {

constexpr int propertyTimeoutMs = 1000;

}  // namespace

std::optional<bool> soleBoolean(const QDBusMessage& message) {
    const auto arguments = message.arguments();
    if (message.signature() != QLatin1String("b") || arguments.size() != 1) {
        return std::nullopt;
    }
    return arguments.front().toBool();
}

std::optional<QVariantMap> changedProperties(const QDBusMessage& message,
                                             const QString& interface) {
    const auto arguments = message.arguments();
    if (message.signature() != QLatin1String("sa{sv}as") || arguments.size() != 3 ||
        arguments[0].toString() != interface) {
        return std::nullopt;
    }
    QVariantMap changed;
    arguments[1].value<QDBusArgument>() >> changed;
    return changed;
}

namespace {

QDBusMessage propertyGet(const QString& service, const QString& path, const QString& interface,
                         const QString& name) {
    auto call = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << interface << name;
    return call;
}

std::optional<QVariant> propertyValue(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("v") ||
        reply.arguments().size() != 1) {
        return std::nullopt;
    }
    return reply.arguments().front().value<QDBusVariant>().variant();
}

}  // namespace

std::optional<QVariant> getProperty(QDBusConnection& connection, const QString& service,
                                    const QString& path, const QString& interface,
                                    const QString& name) {
    return propertyValue(connection.call(propertyGet(service, path, interface, name), QDBus::Block,
                                         propertyTimeoutMs));
}

void getPropertyLater(QDBusConnection& connection, const QString& service, const QString& path,
                      const QString& interface, const QString& name, QObject* context,
                      std::function<void(std::optional<QVariant>)> done) {
    auto* watcher = new QDBusPendingCallWatcher(
        connection.asyncCall(propertyGet(service, path, interface, name), propertyTimeoutMs),
        context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [done = std::move(done)](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         done(propertyValue(finished->reply()));
                     });
}

}  // namespace veyrune
