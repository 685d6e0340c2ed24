#pragma once

#include <functional>

#include <QMenu>

#include "model/AppAction.h"
#include "model/AppModel.h"
#include "model/UpdaterModel.h"

namespace veyrune {

// The tray's panel: the state header, the arm toggle, the recent events, the
// destinations, the developer submenu in developer mode and "Quit Veyrune".
// Rebuilt from the model whenever it changes. Every entry runs `perform`;
// `onFirstShow` runs the first time the panel opens. Main thread; the model
// and the updater must outlive it.
class PanelMenu : public QMenu {
  public:
    PanelMenu(AppModel& model, const UpdaterModel& updater,
              std::function<void(const AppAction&)> perform, std::function<void()> onFirstShow);
    ~PanelMenu() override;

    void rebuild();

  private:
    void addInformation(const QString& text, const QString& name, bool bold = false);
    QAction* addPerforming(const QString& title, const AppAction& action, const QIcon& icon = {});
    void addDestinations();
    void addDeveloperMenu();
    void firstShow();

    AppModel& model_;
    const UpdaterModel& updater_;
    std::function<void(const AppAction&)> perform_;
    std::function<void()> onFirstShow_;
    AppModel::ObserverID observer_;
    bool didCheckOnboarding_ = false;
};

}  // namespace veyrune
