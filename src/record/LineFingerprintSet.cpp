#include "record/LineFingerprintSet.h"

namespace veyrune {

bool LineFingerprintSet::insert(const LineFingerprint& fingerprint) {
    if (fingerprint == LineFingerprint{}) {
        bool isNew = !holdsZero_;
        holdsZero_ = true;
        return isNew;
    }
    // Kept at most three quarters full, so probes stay short.
    if ((size_ + 1) * 4 > slots_.size() * 3) {
        grow();
    }
    std::size_t mask = slots_.size() - 1;
    // The fingerprint is already uniform: its low bits pick the slot.
    for (std::size_t i = fingerprint.low & mask;; i = (i + 1) & mask) {
        if (slots_[i] == fingerprint) {
            return false;
        }
        if (slots_[i] == LineFingerprint{}) {
            slots_[i] = fingerprint;
            ++size_;
            return true;
        }
    }
}

bool LineFingerprintSet::contains(const LineFingerprint& fingerprint) const {
    if (fingerprint == LineFingerprint{}) {
        return holdsZero_;
    }
    if (slots_.empty()) {
        return false;
    }
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = fingerprint.low & mask;; i = (i + 1) & mask) {
        if (slots_[i] == fingerprint) {
            return true;
        }
        if (slots_[i] == LineFingerprint{}) {
            return false;
        }
    }
}

void LineFingerprintSet::grow() {
    std::vector<LineFingerprint> old(slots_.empty() ? 1024 : slots_.size() * 2);
    old.swap(slots_);
    std::size_t mask = slots_.size() - 1;
    for (const auto& fingerprint : old) {
        if (fingerprint == LineFingerprint{}) {
            continue;
        }
        std::size_t i = fingerprint.low & mask;
        while (slots_[i] != LineFingerprint{}) {
            i = (i + 1) & mask;
        }
        slots_[i] = fingerprint;
    }
}

}  // namespace veyrune
