#include "evidence/DisplaySelection.h"

#include <algorithm>

namespace veyrune {

std::vector<ScreenDisplay> displaysInOrder(std::vector<ScreenDisplay> displays) {
    std::stable_sort(displays.begin(), displays.end(), [](const auto& a, const auto& b) {
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    });
    return displays;
}

std::vector<ScreenDisplay> primaryDisplay(const DisplayList& list) {
    auto ordered = displaysInOrder(list.displays);
    if (ordered.empty()) {
        return {};
    }
    auto main = std::find_if(ordered.begin(), ordered.end(), [&](const auto& display) {
        return list.mainDisplayID && display.displayID == *list.mainDisplayID;
    });
    return {main != ordered.end() ? *main : ordered.front()};
}

}  // namespace veyrune
