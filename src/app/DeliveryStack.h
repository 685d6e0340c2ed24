#pragma once

#include <memory>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "base/Clock.h"
#include "credentials/SystemKeychainStore.h"
#include "credentials/WebhookConfigurationStore.h"
#include "delivery/DeliveryManager.h"
#include "delivery/WallClockDeliveryTimerScheduler.h"
#include "model/SettingsBridge.h"
#include "outbox/SQLiteOutboxStore.h"

namespace veyrune {

// The alert delivery of the running program: the keyring, the SQLite outbox,
// the Telegram and webhook channels over libcurl, and the delivery manager on
// its "Veyrune.Delivery" queue. The queue and its timer run on `queuePool`;
// sends and keyring reads on `blockingIO`. Both pools, `settings`, `keychain`,
// `clock` and `network` must outlive it.
class DeliveryStack {
  public:
    // `timerWake` re-arms the retry timer after each wake (a branch of its own).
    DeliveryStack(AsioTaskPool& queuePool, AsioTaskPool& blockingIO, SettingsBridge& settings,
                  KeychainStore& keychain, Clock& clock, NetworkPathMonitor* network,
                  WakeNotificationSource* timerWake);
    ~DeliveryStack();
    DeliveryStack(const DeliveryStack&) = delete;
    DeliveryStack& operator=(const DeliveryStack&) = delete;

    DeliveryManager& manager() { return *manager_; }
    std::shared_ptr<DeliveryManager> sharedManager() { return manager_; }
    WebhookConfigurationStore& webhookConfiguration() { return webhook_; }

  private:
    SQLiteOutboxStore outbox_;
    WebhookConfigurationStore webhook_;
    AsioSerialQueue queue_;
    WallClockDeliveryTimerScheduler timer_;
    std::shared_ptr<DeliveryManager> manager_;
};

}  // namespace veyrune
