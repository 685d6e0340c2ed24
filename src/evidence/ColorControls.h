#pragma once

#include <cstdint>

namespace veyrune {

// The colour-controls adjustment with saturation left alone: contrast scales
// each channel about mid-grey, then brightness is added, on values in [0, 1].
struct ColorControls {
    double brightness = 0.0;
    double contrast = 1.0;

    // The brightening applied to camera photos.
    static constexpr ColorControls photo() { return {0.2, 1.1}; }

    double apply(double channel) const;
    // An 8-bit channel, clamped and rounded to the nearest step.
    std::uint8_t apply8(std::uint8_t channel) const;
};

}  // namespace veyrune
