#pragma once

#include <vector>

#include "record/EvidenceItem.h"

namespace veyrune {

// Where evidence links live. Operations may throw file errors; undecodable
// stored lines are skipped.
class EvidenceItemStore {
  public:
    virtual ~EvidenceItemStore() = default;

    virtual void append(const EvidenceItem& item) = 0;
    // Every decodable item, newest first (ties by id text, ascending).
    virtual std::vector<EvidenceItem> allItems() const = 0;
};

}  // namespace veyrune
