#pragma once

#include <memory>

#include "evidence/ScreenCaptureMethod.h"
#include "evidence/ScreenSource.h"

namespace veyrune {

// The screen source for this session, with the method it uses so that
// diagnostics and the permission preflight can name it.
struct ChosenScreenSource {
    std::unique_ptr<ScreenSource> source;
    ScreenCaptureMethod method = ScreenCaptureMethod::x11Display;
};

// The method for this process's session, from XDG_SESSION_TYPE and WAYLAND_DISPLAY.
ScreenCaptureMethod sessionScreenCaptureMethod();

// The X11 grab or the desktop portal (on the session bus). Any thread; a
// QGuiApplication must exist before the source is used.
ChosenScreenSource makeScreenSource(ScreenCaptureMethod method = sessionScreenCaptureMethod());

}  // namespace veyrune
