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

}  // namespace

TEST(DBusContextReader, WifiNameComesFromThePrimaryWirelessConnection) {
    PrivateBus bus;
    bus.startMock("networkmanager", networkManager);
    DBusContextReader reader(bus.connect("veyrune"));
    EXPECT_EQ(reader.wifiSSID(), std::nullopt) << "no primary connection";

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
    bus.call(networkManager, managerPath, mockInterface, "AddProperty",
             {networkManager, "PrimaryConnection",
              QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(active))))});
    EXPECT_EQ(reader.wifiSSID(), "Office Net");
}

TEST(DBusContextReader, MachineNameIsThePrettyHostnameElseTheHostName) {
    PrivateBus bus;
    DBusContextReader reader(bus.connect("veyrune"));
    EXPECT_EQ(reader.machineName(), hostName()) << "without hostnamed";
    bus.startPlainMock("org.freedesktop.hostname1", "/org/freedesktop/hostname1",
                       "org.freedesktop.hostname1");
    bus.call("org.freedesktop.hostname1", "/org/freedesktop/hostname1", mockInterface,
             "AddProperty",
             {"org.freedesktop.hostname1", "PrettyHostname",
              QVariant::fromValue(QDBusVariant(QString("Tester's Laptop")))});
    EXPECT_EQ(reader.machineName(), "Tester's Laptop");
}
