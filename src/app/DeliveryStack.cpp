#include "app/DeliveryStack.h"

#include "channels/CurlTelegramTransport.h"
#include "channels/CurlWebhookTransport.h"
#include "channels/TelegramChannel.h"
#include "channels/WebhookChannel.h"
#include "credentials/TelegramConfigurationStore.h"

namespace veyrune {

DeliveryStack::DeliveryStack(AsioTaskPool& pool, SettingsBridge& settings, KeychainStore& keychain,
                             Clock& clock, NetworkPathMonitor* network)
    : outbox_(SQLiteOutboxStore::defaultFile()),
      webhook_(keychain),
      queue_(pool.pool(), DeliveryManager::queueLabel),
      timer_(pool.pool()) {
    auto& telegram = settings.telegramConfiguration();
    DeliveryManager::Channels channels{
        {DeliveryChannelKind::telegram,
         std::make_shared<TelegramChannel>([&telegram] { return telegram.credentialsIfReadable(); },
                                           std::make_shared<CurlTelegramTransport>(), pool)},
        {DeliveryChannelKind::webhook,
         std::make_shared<WebhookChannel>([this] { return webhook_.credentialsIfReadable(); },
                                          std::make_shared<CurlWebhookTransport>(), pool)},
    };
    manager_ = DeliveryManager::create({outbox_, queue_, std::move(channels),
                                        [&settings] { return settings.enabledChannels(); }, clock,
                                        timer_, pool, network});
    manager_->start(network != nullptr);
}

DeliveryStack::~DeliveryStack() = default;

}  // namespace veyrune
