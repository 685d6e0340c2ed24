#include "system/linux/DBusArguments.h"

#include <QDBusArgument>
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

std::optional<QVariant> getProperty(QDBusConnection& connection, const QString& service,
                                    const QString& path, const QString& interface,
                                    const QString& name) {
    auto call = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << interface << name;
    const auto reply = connection.call(call, QDBus::Block, propertyTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("v") ||
        reply.arguments().size() != 1) {
        return std::nullopt;
    }
    return reply.arguments().front().value<QDBusVariant>().variant();
}

}  // namespace veyrune
