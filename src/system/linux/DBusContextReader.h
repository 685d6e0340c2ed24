#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "system/linux/DBusSignalSubscription.h"

namespace veyrune {

// The parts of the event context that come from system services: the Wi-Fi
// network name from NetworkManager (the primary connection's access point)
// and the machine name from hostnamed's PrettyHostname, else the host name.
// Both are kept in memory and asked for again, without waiting, when the
// service says they changed (PropertiesChanged of NetworkManager's
// PrimaryConnection, of hostnamed's PrettyHostname), so a read never waits on
// a service. Until NetworkManager's first answer the Wi-Fi name is unknown.
// Main thread.
class DBusContextReader : public QObject {
  public:
    explicit DBusContextReader(QDBusConnection systemBus);

    std::optional<std::string> wifiSSID() const { return ssid_; }
    std::optional<std::string> machineName() const;

  private:
    void refreshWifi();
    void readSsid(unsigned generation, const QString& accessPoint);
    // Asks NetworkManager for one property; `next` runs only while
    // `generation` is still the latest refresh.
    void askWifi(unsigned generation, const QString& path, const QString& interface,
                 const QString& name, std::function<void(const std::optional<QVariant>&)> next);
    void refreshPrettyHostname();

    QDBusConnection systemBus_;
    std::optional<std::string> ssid_;
    std::optional<std::string> prettyHostname_;
    // Answers of an older Wi-Fi refresh are dropped when a newer one started.
    unsigned wifiGeneration_ = 0;
    std::unique_ptr<DBusSignalSubscription> networkChanges_;
    std::unique_ptr<DBusSignalSubscription> hostnameChanges_;
};

}  // namespace veyrune
