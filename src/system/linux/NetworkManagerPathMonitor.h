#pragma once

#include <QDBusConnection>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "system/NetworkPathMonitor.h"
#include "system/linux/DBusSignalSubscription.h"

namespace veyrune {

// The network path from NetworkManager's State and Connectivity: satisfied
// when NetworkManager is globally connected and its connectivity check found
// no missing, limited or captive network. Without NetworkManager on the bus
// the path is reported satisfied once at start. Updates are posted to the
// queue when the answer changes. `start` and destruction on the main thread;
// `cancel` from any thread.
class NetworkManagerPathMonitor final : public NetworkPathMonitor {
  public:
    explicit NetworkManagerPathMonitor(QDBusConnection systemBus);
    ~NetworkManagerPathMonitor() override;

    void start(SerialQueue& queue, std::function<void(bool satisfied)> handler) override;
    void cancel() override;

    static bool isSatisfied(std::uint32_t state, std::uint32_t connectivity);

  private:
    // Shared with the posted updates, which may run after the monitor is gone.
    struct Delivery {
        std::mutex mutex;
        SerialQueue* queue = nullptr;       // guarded by mutex
        std::function<void(bool)> handler;  // guarded by mutex
    };

    void propertiesChanged(const QDBusMessage& message);
    void report();

    QDBusConnection systemBus_;
    std::shared_ptr<Delivery> delivery_ = std::make_shared<Delivery>();
    std::vector<std::unique_ptr<DBusSignalSubscription>> subscriptions_;
    std::optional<std::uint32_t> state_;
    std::optional<std::uint32_t> connectivity_;
    std::optional<bool> reported_;
};

}  // namespace veyrune
