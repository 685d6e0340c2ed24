#pragma once

#include <functional>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "model/SettingsBridge.h"

namespace veyrune {

// Small builders shared by the settings tabs.
namespace SettingsForm {

// A tab's page: its title and subtitle, then a column the tab fills.
QVBoxLayout* makePage(QWidget* page, const char* title, const char* subtitle);
// A titled section in `column`; gives the section's own column.
QVBoxLayout* addSection(QVBoxLayout* column, const char* title);
// A wrapped, muted explanation line.
QLabel* addHelp(QVBoxLayout* column, const QString& text);
// A check box over a boolean preference: shows its value and writes each
// change at once, then runs `after` when given.
QCheckBox* addBoundCheckBox(QVBoxLayout* column, const char* text, SettingsBridge& settings,
                            BoolSetting setting, std::function<void(bool)> after = {});

}  // namespace SettingsForm

}  // namespace veyrune
