#pragma once

#include <string_view>

#include <QColor>
#include <QIcon>

#include "review/DeliveryTimelineTintIntent.h"

namespace veyrune {

// The icon for one of Veyrune's symbol names ("checkmark.shield.fill", ...):
// the desktop's icon theme first, Qt's own standard icons when the theme has none.
QIcon symbolIcon(std::string_view symbol);

// The theme colours of the three tint roles.
QColor tintColor(DeliveryTimelineTintIntent intent);

}  // namespace veyrune
