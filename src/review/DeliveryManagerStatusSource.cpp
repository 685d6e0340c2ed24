#include "review/DeliveryManagerStatusSource.h"

namespace veyrune {

std::unordered_map<Uuid, std::vector<DeliveryAttempt>>
DeliveryManagerStatusSource::deliveryAttempts(const std::unordered_set<Uuid>& eventIDs) {
    auto attempts = manager_->deliveryAttempts({eventIDs.begin(), eventIDs.end()});
    return {std::make_move_iterator(attempts.begin()), std::make_move_iterator(attempts.end())};
}

}  // namespace veyrune
