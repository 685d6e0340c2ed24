#pragma once

#include <cstddef>
#include <vector>

#include "record/LineFingerprint.h"

namespace veyrune {

// The lines seen so far, by fingerprint, in one flat table (about 32 bytes a
// line), to drop exact repeats from a copy of any length. One thread at a time.
class LineFingerprintSet {
  public:
    // True when the line was new (and is now remembered).
    bool insert(const LineFingerprint& fingerprint);
    bool contains(const LineFingerprint& fingerprint) const;
    std::size_t size() const { return size_ + (holdsZero_ ? 1 : 0); }

  private:
    void grow();

    std::vector<LineFingerprint> slots_;  // a zero fingerprint marks a free slot
    std::size_t size_ = 0;                // non-zero fingerprints held
    bool holdsZero_ = false;
};

}  // namespace veyrune
