#pragma once

#include <functional>

#include "delivery/DeliveryResult.h"
#include "record/DeliveryChannelKind.h"
#include "record/SecurityEvent.h"

namespace veyrune {

// One way of sending an alert. `send` never throws: it calls `completion`
// exactly once, on any thread, with the result. The other members may be
// called from any thread.
class DeliveryChannel {
  public:
    using Completion = std::function<void(DeliveryResult)>;

    virtual ~DeliveryChannel() = default;
    virtual DeliveryChannelKind kind() const = 0;
    virtual bool isConfigured() const = 0;
    virtual void send(const SecurityEvent& event, Completion completion) = 0;
    // Ends the sends in flight without waiting for the server, and every later
    // one at once, each with a failure; for good (the program is ending).
    virtual void cancelSends() = 0;
    // The network path changed or the machine woke: nothing learnt of the old
    // network (resolved addresses) is used again.
    virtual void networkChanged() = 0;
};

}  // namespace veyrune
