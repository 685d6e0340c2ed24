#include "app/DeliveryStack.h"

#include "channels/CurlTelegramTransport.h"
#include "channels/CurlWebhookTransport.h"
#include "channels/TelegramChannel.h"
#include "channels/WebhookChannel.h"
#include "credentials/TelegramConfigurationStore.h"

namespace veyrune {

DeliveryStack::DeliveryStack(AsioTaskPool& queuePool, AsioTaskPool& blockingIO,
                             SettingsBridge& settings, KeychainStore& keychain, Clock& clock,
                             NetworkPathMonitor* network, WakeNotificationSource* timerWake)
    : outbox_(SQLiteOutboxStore::defaultFile()),
      webhook_(keychain),
      queue_(queuePool.pool(), DeliveryManager::queueLabel),
      timer_(queuePool.pool(), timerWake, clock) {
    auto& telegram = settings.telegramConfiguration();
    DeliveryManager::Channels channels{
        {DeliveryChannelKind::telegram,
         std::make_shared<TelegramChannel>([&telegram] { return telegram.credentialsIfReadable(); },
                                           std::make_shared<CurlTelegramTransport>(), blockingIO)},
        {DeliveryChannelKind::webhook,
         std::make_shared<WebhookChannel>([this] { return webhook_.credentialsIfReadable(); },
                                          std::make_shared<CurlWebhookTransport>(), blockingIO)},
    };
    manager_ = DeliveryManager::create({outbox_, queue_, std::move(channels),
                                        [&settings] { return settings.enabledChannels(); }, clock,
                                        timer_, blockingIO, network});
    manager_->start(network != nullptr);
}

DeliveryStack::~DeliveryStack() = default;

}  // namespace veyrune
