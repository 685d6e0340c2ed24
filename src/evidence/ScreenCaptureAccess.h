#pragma once

namespace veyrune {

// Whether screenshots can be taken, as far as is known without taking one.
// `granted`: the X11 display is connected, or the desktop portal answers and
// did not refuse the last request. `notGranted`: no display connection or no
// portal. `refusedByUser`: the portal answered the last request with a
// refusal (the user's or the desktop's stored choice).
enum class ScreenCaptureAccess { granted, notGranted, refusedByUser };

}  // namespace veyrune
