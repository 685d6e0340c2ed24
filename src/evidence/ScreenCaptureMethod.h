#pragma once

#include <string_view>

namespace veyrune {

// How screenshots are taken in this session: grabbing the X11 screens
// directly, or asking the desktop portal (org.freedesktop.portal.Screenshot)
// for a picture of the whole desktop, as Wayland compositors require.
enum class ScreenCaptureMethod { x11Display, desktopPortal };

// The method for a session: the portal under any Wayland compositor (even an
// X11 client there sees only XWayland windows), the X11 grab otherwise.
// `sessionType` is XDG_SESSION_TYPE, `waylandDisplay` WAYLAND_DISPLAY; empty
// when unset.
ScreenCaptureMethod screenCaptureMethodFor(std::string_view sessionType,
                                           std::string_view waylandDisplay);

}  // namespace veyrune
