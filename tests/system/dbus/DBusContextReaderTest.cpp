#include "system/linux/DBusContextReader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusObjectPath>
#include <QDBusVariant>

#include "PrivateBus.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

const QString networkManager = "org.freedesktop.NetworkManager";
const QString managerPath = "/org/freedesktop/NetworkManager";
const QString mockInterface = "org.freedesktop.DBus.Mock";

std::string hostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

// Sets a property of a dbusmock object the way a service does: with
// PropertiesChanged (dbusmock's Properties.Set emits it).
void setProperty(PrivateBus& bus, const QString& service, const QString& path,
                 const QString& interface, const QString& name, const QVariant& value) {
    bus.call(service, path, "org.freedesktop.DBus.Properties", "Set",
             {interface, name, QVariant::fromValue(QDBusVariant(value))});
}

QVariant objectPath(const QString& path) {
    return QVariant::fromValue(QDBusObjectPath(path));
}

}  // namespace

TEST(DBusContextReader, WifiNameFollowsThePrimaryConnectionWithoutAskingPerRead) {
    PrivateBus bus;
    bus.startMock("networkmanager", networkManager);
    bus.call(
        networkManager, managerPath, mockInterface, "AddProperty",
        {networkManager, "PrimaryConnection", QVariant::fromValue(QDBusVariant(objectPath("/")))});
    DBusContextReader reader(bus.connect("veyrune"));

    auto text = [](const QDBusMessage& reply) { return reply.arguments().value(0).toString(); };
    const QString device = text(bus.call(networkManager, managerPath, mockInterface,
                                         "AddWiFiDevice", {"mock_wifi0", "wlan0", 100}));
    const QString accessPoint =
        text(bus.call(networkManager, managerPath, mockInterface, "AddAccessPoint",
                      {device, "ap0", "Office Net", "11:22:33:44:55:66", 2u, 2425u, 5400u,
                       QVariant::fromValue(uchar(82)), 0x100u}));
    const QString connection =
        text(bus.call(networkManager, managerPath, mockInterface, "AddWiFiConnection",
                      {device, "conn0", "Office Net", "wpa-psk"}));
    const QString active =
        text(bus.call(networkManager, managerPath, mockInterface, "AddActiveConnection",
                      {QStringList{device}, connection, accessPoint, "active0", 2u}));
    EXPECT_EQ(reader.wifiSSID(), std::nullopt) << "no primary connection";

    setProperty(bus, networkManager, managerPath, networkManager, "PrimaryConnection",
                objectPath(active));
    EXPECT_TRUE(waitForEvents([&] { return reader.wifiSSID() == "Office Net"; }));

    // A hung NetworkManager does not reach a read: the name comes from memory
    // (asking would time out and give nothing).
    bus.freezeMocks(true);
    EXPECT_EQ(reader.wifiSSID(), "Office Net");
    bus.freezeMocks(false);

    // Losing the primary connection clears the name.
    setProperty(bus, networkManager, managerPath, networkManager, "PrimaryConnection",
                objectPath("/"));
    EXPECT_TRUE(waitForEvents([&] { return !reader.wifiSSID(); }));
}

TEST(DBusContextReader, MachineNameIsThePrettyHostnameElseTheHostName) {
    PrivateBus bus;
    bus.startPlainMock("org.freedesktop.hostname1", "/org/freedesktop/hostname1",
                       "org.freedesktop.hostname1");
    DBusContextReader reader(bus.connect("veyrune"));
    EXPECT_EQ(reader.machineName(), hostName()) << "no pretty name";
    bus.call("org.freedesktop.hostname1", "/org/freedesktop/hostname1", mockInterface,
             "AddProperty",
             {"org.freedesktop.hostname1", "PrettyHostname",
              QVariant::fromValue(QDBusVariant(QString()))});
    setProperty(bus, "org.freedesktop.hostname1", "/org/freedesktop/hostname1",
                "org.freedesktop.hostname1", "PrettyHostname", QString("Tester's Laptop"));
    EXPECT_TRUE(waitForEvents([&] { return reader.machineName() == "Tester's Laptop"; }));
}
