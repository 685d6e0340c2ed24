#pragma once

#include <functional>

#include <QWidget>

#include "model/SettingsBridge.h"

class QCheckBox;

namespace veyrune {

// "Getting Started": the welcome, the three steps, "Do not show this again",
// "Open Settings" and "Done". Either button records "hasCompletedOnboarding"
// only while the box is ticked, then closes the window; closing it any other
// way records nothing. Main thread; `settings` must outlive it.
class OnboardingWindow : public QWidget {
  public:
    OnboardingWindow(SettingsBridge& settings, std::function<void()> openSettings,
                     QWidget* parent = nullptr);

    QCheckBox& doNotShowAgain() { return *doNotShowAgain_; }
    void openSettings();
    void done();

  private:
    SettingsBridge& settings_;
    std::function<void()> openSettings_;
    QCheckBox* doNotShowAgain_;
};

}  // namespace veyrune
