#pragma once

#include <optional>
#include <utility>
#include <vector>

namespace veyrune {

// Where each frame goes on the stitched canvas. Positions are top-left
// corners with y growing downwards: frames stand side by side in order, all
// on the bottom edge, unscaled; the area above a shorter frame stays empty.
struct StitchLayout {
    struct Placement {
        int x = 0;
        int y = 0;
        bool operator==(const Placement&) const = default;
    };
    int width = 0;
    int height = 0;
    std::vector<Placement> placements;

    bool operator==(const StitchLayout&) const = default;
};

// The layout of frames of the given (width, height) sizes: total width,
// greatest height. Nothing when either comes out below 1.
std::optional<StitchLayout> stitchLayout(const std::vector<std::pair<int, int>>& sizes);

}  // namespace veyrune
