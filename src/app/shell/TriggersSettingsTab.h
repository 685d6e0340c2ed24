#pragma once

#include <QWidget>

#include "model/AppModel.h"

namespace veyrune {

// Settings ▸ Triggers: the four device switches (kept by the model), the
// kinds that are always recorded, and the background-wake alert switch.
// Main thread; the model and settings must outlive it.
class TriggersSettingsTab : public QWidget {
  public:
    TriggersSettingsTab(AppModel& model, SettingsBridge& settings, QWidget* parent = nullptr);
};

}  // namespace veyrune
