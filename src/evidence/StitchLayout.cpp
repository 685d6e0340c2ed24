#include "evidence/StitchLayout.h"

#include <algorithm>
#include <limits>

namespace veyrune {

std::optional<StitchLayout> stitchLayout(const std::vector<std::pair<int, int>>& sizes) {
    long long width = 0;
    int height = 0;
    for (const auto& [w, h] : sizes) {
        width += std::max(w, 0);
        height = std::max(height, h);
    }
    if (width < 1 || height < 1 || width > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    StitchLayout layout{int(width), height, {}};
    int x = 0;
    for (const auto& [w, h] : sizes) {
        layout.placements.push_back({x, height - h});
        x += std::max(w, 0);
    }
    return layout;
}

}  // namespace veyrune
