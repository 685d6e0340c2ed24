#include "system/linux/DBusContextReader.h"

#include <unistd.h>

#include <QDBusObjectPath>
#include <array>

#include "system/linux/DBusArguments.h"

namespace veyrune {

namespace {

const QString networkManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString activeConnectionInterface =
    QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString accessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");

QString objectPath(const std::optional<QVariant>& value) {
    if (!value || value->typeId() != qMetaTypeId<QDBusObjectPath>()) {
        return {};
    }
    const QString path = value->value<QDBusObjectPath>().path();
    return path == QLatin1String("/") ? QString() : path;
}

}  // namespace

DBusContextReader::DBusContextReader(QDBusConnection systemBus)
    : systemBus_(std::move(systemBus)) {}

std::optional<std::string> DBusContextReader::wifiSSID() {
    const QString primary = objectPath(
        getProperty(systemBus_, networkManager, QStringLiteral("/org/freedesktop/NetworkManager"),
                    networkManager, QStringLiteral("PrimaryConnection")));
    if (primary.isEmpty()) {
        return std::nullopt;
    }
    auto type = getProperty(systemBus_, networkManager, primary, activeConnectionInterface,
                            QStringLiteral("Type"));
    if (!type || type->toString() != QLatin1String("802-11-wireless")) {
        return std::nullopt;
    }
    const QString accessPoint =
        objectPath(getProperty(systemBus_, networkManager, primary, activeConnectionInterface,
                               QStringLiteral("SpecificObject")));
    if (accessPoint.isEmpty()) {
        return std::nullopt;
    }
    auto ssid = getProperty(systemBus_, networkManager, accessPoint, accessPointInterface,
                            QStringLiteral("Ssid"));
    if (!ssid || ssid->typeId() != QMetaType::QByteArray || ssid->toByteArray().isEmpty()) {
        return std::nullopt;
    }
    return ssid->toByteArray().toStdString();
}

std::optional<std::string> DBusContextReader::machineName() {
    auto pretty =
        getProperty(systemBus_, QStringLiteral("org.freedesktop.hostname1"),
                    QStringLiteral("/org/freedesktop/hostname1"),
                    QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("PrettyHostname"));
    if (pretty && !pretty->toString().isEmpty()) {
        return pretty->toString().toStdString();
    }
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') {
        return std::nullopt;
    }
    return std::string(name.data());
}

}  // namespace veyrune
