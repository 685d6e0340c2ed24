#include "evidence/qt/ScreenSourceFactory.h"

#include <QByteArray>

#include "evidence/qt/PortalScreenSource.h"
#include "evidence/qt/QtScreenSource.h"

namespace veyrune {

ScreenCaptureMethod sessionScreenCaptureMethod() {
    QByteArray sessionType = qgetenv("XDG_SESSION_TYPE");
    QByteArray waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    return screenCaptureMethodFor(sessionType.toStdString(), waylandDisplay.toStdString());
}

ChosenScreenSource makeScreenSource(ScreenCaptureMethod method) {
    if (method == ScreenCaptureMethod::desktopPortal) {
        return {std::make_unique<PortalScreenSource>(), method};
    }
    return {std::make_unique<QtScreenSource>(), method};
}

}  // namespace veyrune
