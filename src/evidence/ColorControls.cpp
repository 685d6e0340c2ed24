#include "evidence/ColorControls.h"

#include <algorithm>
#include <cmath>

namespace veyrune {

double ColorControls::apply(double channel) const {
    return (channel - 0.5) * contrast + 0.5 + brightness;
}

std::uint8_t ColorControls::apply8(std::uint8_t channel) const {
    double value = std::clamp(apply(channel / 255.0), 0.0, 1.0);
    return std::uint8_t(std::lround(value * 255.0));
}

}  // namespace veyrune
