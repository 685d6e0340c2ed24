#pragma once

#include <functional>

#include "delivery/DeliveryResult.h"
#include "record/DeliveryChannelKind.h"
#include "record/SecurityEvent.h"

namespace veyrune {

// One way of sending an alert. `send` never throws: it calls `completion`
// exactly once, on any thread, with the result. `isConfigured` may be called
// from any thread.
class DeliveryChannel {
  public:
    using Completion = std::function<void(DeliveryResult)>;

    virtual ~DeliveryChannel() = default;
    virtual DeliveryChannelKind kind() const = 0;
    virtual bool isConfigured() const = 0;
    virtual void send(const SecurityEvent& event, Completion completion) = 0;
};

}  // namespace veyrune
