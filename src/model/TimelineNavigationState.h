#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "base/Uuid.h"

namespace veyrune {

// The event the timeline is asked to show ("Show Event" in the evidence
// library sets it). Main thread.
class TimelineNavigationState {
  public:
    const std::optional<Uuid>& selectedEventID() const { return selectedEventID_; }
    void setSelectedEventID(std::optional<Uuid> id) {
        selectedEventID_ = std::move(id);
        for (const auto& observer : observers_) {
            observer();
        }
    }
    void addObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

  private:
    std::optional<Uuid> selectedEventID_;
    std::vector<std::function<void()>> observers_;
};

}  // namespace veyrune
