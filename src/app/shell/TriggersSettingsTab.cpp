#include "app/shell/TriggersSettingsTab.h"

#include <QFormLayout>

#include "app/shell/SettingsForm.h"
#include "app/shell/ShellTexts.h"

namespace veyrune {

using namespace SettingsForm;

TriggersSettingsTab::TriggersSettingsTab(AppModel& model, SettingsBridge& settings, QWidget* parent)
    : QWidget(parent) {
    auto* page = makePage(this, ShellTexts::triggers, ShellTexts::triggersSubtitle);

    auto* devices = addSection(page, ShellTexts::deviceActivity);
    const std::pair<const char*, BoolSetting> switches[] = {
        {ShellTexts::usbTrigger, Settings::captureUSB},
        {ShellTexts::volumesTrigger, Settings::captureVolumes},
        {ShellTexts::displayTrigger, Settings::captureDisplay},
        {ShellTexts::audioTrigger, Settings::captureAudio},
    };
    for (const auto& [text, setting] : switches) {
        auto* box = new QCheckBox(QString::fromUtf8(text));
        box->setObjectName(QString::fromLatin1(setting.key));
        box->setAccessibleName(box->text());
        box->setChecked(settings.value(setting));
        connect(box, &QCheckBox::toggled, this,
                [&model, setting = setting](bool on) { model.setTrigger(setting, on); });
        devices->addWidget(box);
    }

    auto* always = addSection(page, ShellTexts::alwaysRecorded);
    auto* kinds = new QFormLayout;
    kinds->addRow(QString::fromUtf8(ShellTexts::power),
                  new QLabel(QString::fromUtf8(ShellTexts::powerKinds)));
    kinds->addRow(QString::fromUtf8(ShellTexts::session),
                  new QLabel(QString::fromUtf8(ShellTexts::sessionKinds)));
    always->addLayout(kinds);

    auto* wakes = addSection(page, ShellTexts::wakeAlerts);
    addBoundCheckBox(wakes, ShellTexts::backgroundWakes, settings,
                     Settings::alertOnMaintenanceWake);
    addHelp(wakes, QString::fromUtf8(ShellTexts::backgroundWakesHelp));
    page->addStretch();
}

}  // namespace veyrune
