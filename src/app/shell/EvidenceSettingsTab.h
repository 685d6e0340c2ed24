#pragma once

#include <functional>

#include <QWidget>

#include "evidence/EvidencePermissionPreflight.h"
#include "model/SettingsBridge.h"

class QSpinBox;

namespace veyrune {

// Settings ▸ Evidence: the capture switches and screenshot mode, the camera
// and screen permission rows, retention ("Keep evidence", "Storage cap") and
// the library button. Each control writes its preference at once. Main
// thread; the settings must outlive it.
class EvidenceSettingsTab : public QWidget {
  public:
    // `method` is how this session takes screenshots (the X11 grab or the portal).
    EvidenceSettingsTab(SettingsBridge& settings, ScreenCaptureMethod method,
                        std::function<void(const EvidencePermissionPreflight&)> reviewPermission,
                        std::function<void()> openLibrary, QWidget* parent = nullptr);

    QSpinBox& keepDays() { return *keepDays_; }
    QSpinBox& storageCap() { return *storageCap_; }

  private:
    QSpinBox* keepDays_;
    QSpinBox* storageCap_;
};

}  // namespace veyrune
