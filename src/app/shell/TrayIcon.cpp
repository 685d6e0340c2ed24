#include "app/shell/TrayIcon.h"

#include <QCursor>

#include "app/shell/VeyruneMark.h"
#include "model/MenuPanelSnapshot.h"

namespace veyrune {

TrayIcon::TrayIcon(AppModel& model, PanelMenu& panel, QObject* parent)
    : QObject(parent), model_(model), panel_(panel) {
    icon_.setContextMenu(&panel_);
    connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::activated);
    shownArmed_ = !model_.isArmed();
    update();
    observer_ = model_.addObserver([this] { update(); });
    icon_.show();
}

TrayIcon::~TrayIcon() {
    model_.removeObserver(observer_);
}

void TrayIcon::update() {
    const bool armed = model_.isArmed();
    if (armed == shownArmed_) {
        return;
    }
    shownArmed_ = armed;
    icon_.setIcon(VeyruneMark::trayIcon(armed));
    icon_.setToolTip(QString::fromStdString(trayAccessibleName(armed)));
}

void TrayIcon::activated(QSystemTrayIcon::ActivationReason reason) {
    // The context menu opens by itself; a plain click opens the same panel.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick) {
        panel_.popup(QCursor::pos());
    }
}

}  // namespace veyrune
