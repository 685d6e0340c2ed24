#pragma once

namespace veyrune {

// The colour role of a timeline icon; each maps to a theme colour.
enum class DeliveryTimelineTintIntent { ready, attention, inactive };

}  // namespace veyrune
