#pragma once

#include <QString>

#include "record/SecurityEvent.h"

namespace veyrune {

// A recent event as the panel lists it: its summary, " — " and its time of
// day in the user's short time format, without the date.
QString recentEventLine(const SecurityEvent& event);

}  // namespace veyrune
