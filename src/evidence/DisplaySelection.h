#pragma once

#include <vector>

#include "evidence/ScreenSource.h"

namespace veyrune {

// Displays left to right: by x, equal x by y.
std::vector<ScreenDisplay> displaysInOrder(std::vector<ScreenDisplay> displays);

// The main display, else the leftmost; empty only for an empty list.
std::vector<ScreenDisplay> primaryDisplay(const DisplayList& list);

}  // namespace veyrune
