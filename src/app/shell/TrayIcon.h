#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include "app/shell/PanelMenu.h"

namespace veyrune {

// The tray icon (StatusNotifierItem, or the XEmbed tray elsewhere): the armed
// or disarmed mark, "Veyrune, armed" / "Veyrune, disarmed" as its tool tip and
// the panel's accessible name, the panel as its menu on either click. Main
// thread; the model and the panel must outlive it.
class TrayIcon : public QObject {
  public:
    TrayIcon(AppModel& model, PanelMenu& panel, QObject* parent = nullptr);
    ~TrayIcon() override;

    QSystemTrayIcon& icon() { return icon_; }
    void update();

  private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    AppModel& model_;
    PanelMenu& panel_;
    QSystemTrayIcon icon_;
    AppModel::ObserverID observer_;
    bool shownArmed_ = false;
};

}  // namespace veyrune
