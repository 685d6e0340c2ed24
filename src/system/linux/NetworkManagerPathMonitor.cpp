#include "system/linux/NetworkManagerPathMonitor.h"

#include "system/linux/DBusArguments.h"

namespace veyrune {

namespace {

const QString service = QStringLiteral("org.freedesktop.NetworkManager");
const QString path = QStringLiteral("/org/freedesktop/NetworkManager");
constexpr std::uint32_t connectedGlobal = 70;  // NM_STATE_CONNECTED_GLOBAL
constexpr std::uint32_t connectivityUnknown = 0;
constexpr std::uint32_t connectivityFull = 4;

std::optional<std::uint32_t> unsignedValue(const QVariant& value) {
    if (value.typeId() != QMetaType::UInt) {
        return std::nullopt;
    }
    return value.toUInt();
}

}  // namespace

NetworkManagerPathMonitor::NetworkManagerPathMonitor(QDBusConnection systemBus)
    : systemBus_(std::move(systemBus)) {}

NetworkManagerPathMonitor::~NetworkManagerPathMonitor() {
    cancel();
}

bool NetworkManagerPathMonitor::isSatisfied(std::uint32_t state, std::uint32_t connectivity) {
    return state == connectedGlobal &&
           (connectivity == connectivityFull || connectivity == connectivityUnknown);
}

void NetworkManagerPathMonitor::start(SerialQueue& queue, std::function<void(bool)> handler) {
    {
        std::lock_guard lock(delivery_->mutex);
        delivery_->queue = &queue;
        delivery_->handler = std::move(handler);
    }
    reported_.reset();
    if (subscriptions_.empty()) {
        subscriptions_.push_back(std::make_unique<DBusSignalSubscription>(
            systemBus_, service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"),
            [this](const QDBusMessage& message) { propertiesChanged(message); }));
    }
    if (subscriptions_.front()->owner().isEmpty()) {
        state_ = connectedGlobal;
        connectivity_ = connectivityUnknown;
    } else {
        auto read = [this](const QString& name) {
            auto value = getProperty(systemBus_, service, path, service, name);
            return value ? unsignedValue(*value) : std::nullopt;
        };
        state_ = read(QStringLiteral("State"));
        connectivity_ = read(QStringLiteral("Connectivity"));
    }
    report();
}

void NetworkManagerPathMonitor::cancel() {
    std::lock_guard lock(delivery_->mutex);
    delivery_->queue = nullptr;
    delivery_->handler = nullptr;
}

void NetworkManagerPathMonitor::propertiesChanged(const QDBusMessage& message) {
    auto changed = changedProperties(message, service);
    if (!changed) {
        return;
    }
    if (auto state = unsignedValue(changed->value(QStringLiteral("State")))) {
        state_ = state;
    }
    if (auto connectivity = unsignedValue(changed->value(QStringLiteral("Connectivity")))) {
        connectivity_ = connectivity;
    }
    report();
}

void NetworkManagerPathMonitor::report() {
    const bool satisfied = state_ && connectivity_ && isSatisfied(*state_, *connectivity_);
    if (reported_ == satisfied) {
        return;
    }
    reported_ = satisfied;
    std::lock_guard lock(delivery_->mutex);
    if (!delivery_->queue || !delivery_->handler) {
        return;
    }
    delivery_->queue->post([delivery = delivery_, satisfied] {
        std::function<void(bool)> handler;
        {
            std::lock_guard handlerLock(delivery->mutex);
            handler = delivery->handler;
        }
        if (handler) {
            handler(satisfied);
        }
    });
}

}  // namespace veyrune
