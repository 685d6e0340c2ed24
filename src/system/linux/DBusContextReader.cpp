#include "system/linux/DBusContextReader.h"

#include <unistd.h>

#include <QDBusObjectPath>
#include <array>

#include "system/linux/DBusArguments.h"

namespace veyrune {

namespace {

const QString networkManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString managerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString activeConnectionInterface =
    QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString accessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
const QString hostnamed = QStringLiteral("org.freedesktop.hostname1");
const QString hostnamedPath = QStringLiteral("/org/freedesktop/hostname1");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString propertiesChanged = QStringLiteral("PropertiesChanged");

QString objectPath(const std::optional<QVariant>& value) {
    if (!value || value->typeId() != qMetaTypeId<QDBusObjectPath>()) {
        return {};
    }
    const QString path = value->value<QDBusObjectPath>().path();
    return path == QLatin1String("/") ? QString() : path;
}

bool changes(const QDBusMessage& message, const QString& interface, const QString& property) {
    auto changed = changedProperties(message, interface);
    return changed && changed->contains(property);
}

}  // namespace

DBusContextReader::DBusContextReader(QDBusConnection systemBus) : systemBus_(std::move(systemBus)) {
    networkChanges_ = std::make_unique<DBusSignalSubscription>(
        systemBus_, networkManager, managerPath, propertiesInterface, propertiesChanged,
        [this](const QDBusMessage& message) {
            if (changes(message, networkManager, QStringLiteral("PrimaryConnection"))) {
                refreshWifi();
            }
        });
    hostnameChanges_ = std::make_unique<DBusSignalSubscription>(
        systemBus_, hostnamed, hostnamedPath, propertiesInterface, propertiesChanged,
        [this](const QDBusMessage& message) {
            if (changes(message, hostnamed, QStringLiteral("PrettyHostname"))) {
                refreshPrettyHostname();
            }
        });
    refreshWifi();
    refreshPrettyHostname();
}

std::optional<std::string> DBusContextReader::machineName() const {
    if (prettyHostname_) {
        return prettyHostname_;
    }
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') {
        return std::nullopt;
    }
    return std::string(name.data());
}

// PrimaryConnection, then its Type, then its access point, then the access
// point's Ssid: each answer asks the next question.
void DBusContextReader::refreshWifi() {
    const unsigned generation = ++wifiGeneration_;
    askWifi(generation, managerPath, networkManager, QStringLiteral("PrimaryConnection"),
            [this, generation](const std::optional<QVariant>& value) {
                const QString primary = objectPath(value);
                if (primary.isEmpty()) {
                    ssid_.reset();
                    return;
                }
                askWifi(generation, primary, activeConnectionInterface, QStringLiteral("Type"),
                        [this, generation, primary](const std::optional<QVariant>& type) {
                            if (!type || type->toString() != QLatin1String("802-11-wireless")) {
                                ssid_.reset();
                                return;
                            }
                            askWifi(generation, primary, activeConnectionInterface,
                                    QStringLiteral("SpecificObject"),
                                    [this, generation](const std::optional<QVariant>& ap) {
                                        readSsid(generation, objectPath(ap));
                                    });
                        });
            });
}

void DBusContextReader::readSsid(unsigned generation, const QString& accessPoint) {
    if (accessPoint.isEmpty()) {
        ssid_.reset();
        return;
    }
    askWifi(
        generation, accessPoint, accessPointInterface, QStringLiteral("Ssid"),
        [this](const std::optional<QVariant>& ssid) {
            if (!ssid || ssid->typeId() != QMetaType::QByteArray || ssid->toByteArray().isEmpty()) {
                ssid_.reset();
            } else {
                ssid_ = ssid->toByteArray().toStdString();
            }
        });
}

void DBusContextReader::askWifi(unsigned generation, const QString& path, const QString& interface,
                                const QString& name,
                                std::function<void(const std::optional<QVariant>&)> next) {
    getPropertyLater(systemBus_, networkManager, path, interface, name, this,
                     [this, generation, next = std::move(next)](std::optional<QVariant> value) {
                         if (generation == wifiGeneration_) {
                             next(value);
                         }
                     });
}

void DBusContextReader::refreshPrettyHostname() {
    getPropertyLater(systemBus_, hostnamed, hostnamedPath, hostnamed,
                     QStringLiteral("PrettyHostname"), this, [this](std::optional<QVariant> value) {
                         if (value && !value->toString().isEmpty()) {
                             prettyHostname_ = value->toString().toStdString();
                         } else {
                             prettyHostname_.reset();
                         }
                     });
}

}  // namespace veyrune
