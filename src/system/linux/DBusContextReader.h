#pragma once

#include <QDBusConnection>
#include <optional>
#include <string>

namespace veyrune {

// The parts of the event context that come from system services: the Wi-Fi
// network name from NetworkManager (the primary connection's access point)
// and the machine name from hostnamed's PrettyHostname, else the host name.
// Each read asks the service and waits at most a second per call. Main thread.
class DBusContextReader {
  public:
    explicit DBusContextReader(QDBusConnection systemBus);

    std::optional<std::string> wifiSSID();
    std::optional<std::string> machineName();

  private:
    QDBusConnection systemBus_;
};

}  // namespace veyrune
