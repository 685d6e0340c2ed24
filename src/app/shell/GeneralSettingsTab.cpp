#include "app/shell/GeneralSettingsTab.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <cstring>

#include "app/shell/SealKeyDialog.h"
#include "app/shell/SettingsForm.h"
#include "app/shell/ShellTexts.h"

namespace veyrune {

using namespace SettingsForm;

GeneralSettingsTab::GeneralSettingsTab(AppModel& model, SettingsBridge& settings,
                                       LaunchAtLoginSettingsModel& launchAtLogin,
                                       UpdaterModel& updater,
                                       std::function<void()> openAutostartSettings,
                                       SealingService* sealing, QWidget* parent)
    : QWidget(parent), model_(model), launchAtLogin_(launchAtLogin), settings_(&settings) {
    auto* page = makePage(this, ShellTexts::general, ShellTexts::generalSubtitle);

    auto* protection = addSection(page, ShellTexts::protection);
    armed_ = new QCheckBox;
    armed_->setObjectName(QStringLiteral("armed"));
    connect(armed_, &QCheckBox::toggled, this, [this](bool on) { model_.setArmed(on); });
    protection->addWidget(armed_);
    auto* last = new QFormLayout;
    lastEvent_ = new QLabel;
    lastEvent_->setObjectName(QStringLiteral("lastEvent"));
    last->addRow(QString::fromUtf8(ShellTexts::lastEvent), lastEvent_);
    protection->addLayout(last);

    auto* startup = addSection(page, ShellTexts::startup);
    startAtLogin_ = new QCheckBox(QString::fromUtf8(ShellTexts::startAtLogin));
    startAtLogin_->setObjectName(QStringLiteral("startAtLogin"));
    startAtLogin_->setAccessibleName(startAtLogin_->text());
    connect(startAtLogin_, &QCheckBox::toggled, this, [this](bool on) {
        launchAtLogin_.setEnabled(on);
        showLaunchAtLogin();
    });
    startup->addWidget(startAtLogin_);
    launchText_ = addHelp(startup, {});
    openLoginItems_ = new QPushButton(QString::fromUtf8(ShellTexts::openLoginItems));
    openLoginItems_->setAccessibleName(openLoginItems_->text());
    connect(openLoginItems_, &QPushButton::clicked, this,
            [open = std::move(openAutostartSettings)] {
                if (open) {
                    open();
                }
            });
    startup->addWidget(openLoginItems_, 0, Qt::AlignLeft);
    addBoundCheckBox(startup, ShellTexts::autoArm, settings, Settings::autoArmOnSleep);
    addHelp(startup, QString::fromUtf8(ShellTexts::autoArmHelp));

    auto* taskbar = addSection(page, ShellTexts::taskbar);
    addBoundCheckBox(taskbar, ShellTexts::showInTaskbar, settings, Settings::showDockIcon);
    addHelp(taskbar, QString::fromUtf8(ShellTexts::taskbarHelp));

    if (sealing) {
        addSealing(page, settings, *sealing);
    }
    if (updater.isConfigured()) {
        addUpdates(page, updater);
    }
    page->addStretch();

    observer_ = model_.addObserver([this] { showModel(); });
    showModel();
    launchAtLogin_.refresh();
    showLaunchAtLogin();
}

GeneralSettingsTab::~GeneralSettingsTab() {
    model_.removeObserver(observer_);
}

QString GeneralSettingsTab::launchAtLoginText(LaunchAtLoginState state) {
    switch (state) {
        case LaunchAtLoginState::enabled:
            return QString::fromUtf8(ShellTexts::launchEnabled);
        case LaunchAtLoginState::requiresApproval:
            return QString::fromUtf8(ShellTexts::launchNeedsApproval);
        case LaunchAtLoginState::operationFailed:
            return QString::fromUtf8(ShellTexts::launchFailed);
        case LaunchAtLoginState::disabled:
            break;
    }
    return {};
}

void GeneralSettingsTab::showModel() {
    const QSignalBlocker block(armed_);
    const bool armed = model_.isArmed();
    armed_->setChecked(armed);
    armed_->setText(
        QString::fromUtf8(armed ? ShellTexts::armedToggle : ShellTexts::disarmedToggle));
    armed_->setAccessibleName(armed_->text());
    const auto latest = model_.latestActivityText();
    lastEvent_->setText(latest ? QString::fromStdString(*latest)
                               : QString::fromUtf8(ShellTexts::noEventsYetShort));
}

void GeneralSettingsTab::showLaunchAtLogin() {
    const auto state = launchAtLogin_.state();
    const QSignalBlocker block(startAtLogin_);
    startAtLogin_->setChecked(state == LaunchAtLoginState::enabled);
    launchText_->setText(launchAtLoginText(state));
    launchText_->setVisible(!launchText_->text().isEmpty());
    openLoginItems_->setVisible(state == LaunchAtLoginState::requiresApproval);
}

void GeneralSettingsTab::addSealing(QVBoxLayout* column, SettingsBridge& settings,
                                    SealingService& sealing) {
    auto* section = addSection(column, ShellTexts::sealing);
    QPointer<GeneralSettingsTab> self(this);
    seal_ =
        addBoundCheckBox(section, ShellTexts::sealEventLog, settings, Settings::sealEventLog,
                         [self, &sealing](bool on) {
                             if (!on) {
                                 sealing.disable();
                                 return;
                             }
                             sealing.enable([self, &sealing](std::optional<VerificationKey> key) {
                                 // On the sealing queue: the key goes straight to the dialog.
                                 QMetaObject::invokeMethod(
                                     QCoreApplication::instance(),
                                     [self, key, error = sealing.lastError()] {
                                         if (self) {
                                             self->sealingBegan(key, error);
                                         }
                                     },
                                     Qt::QueuedConnection);
                             });
                         });
    seal_->setObjectName(QStringLiteral("sealEventLog"));
    addHelp(section, QString::fromUtf8(ShellTexts::sealHelp));
    sealError_ = addHelp(section, {});
    sealError_->setObjectName(QStringLiteral("sealError"));
    sealing_ = &sealing;
    // The sealer sets the switch off when its key file is gone, from its own queue.
    settings.addObserver([self](const char* key) {
        if (std::strcmp(key, Settings::sealEventLog.key) == 0) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self] {
                    if (self) {
                        self->showSealing();
                    }
                },
                Qt::AutoConnection);
        }
    });
    showSealing();
}

void GeneralSettingsTab::showSealing() {
    const QSignalBlocker block(seal_);
    seal_->setChecked(settings_->value(Settings::sealEventLog));
    const auto error = QString::fromStdString(sealing_->lastError());
    sealError_->setText(error);
    sealError_->setVisible(!error.isEmpty());
}

void GeneralSettingsTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (sealing_) {
        showSealing();
    }
}

void GeneralSettingsTab::sealingBegan(const std::optional<VerificationKey>& key,
                                      const std::string& error) {
    if (!key) {
        // The switch first: telling its observers shows the plain error.
        settings_->set(Settings::sealEventLog, false);
        const QSignalBlocker block(seal_);
        seal_->setChecked(false);
        sealError_->setText(QString::fromUtf8(ShellTexts::sealFailed) +
                            QString::fromStdString(error));
        sealError_->setVisible(true);
        return;
    }
    sealError_->setVisible(false);
    auto* dialog = new SealKeyDialog(*key, window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void GeneralSettingsTab::addUpdates(QVBoxLayout* column, UpdaterModel& updater) {
    auto* updates = addSection(column, ShellTexts::updates);
    auto* automatic = new QCheckBox(QString::fromUtf8(ShellTexts::checkAutomatically));
    automatic->setAccessibleName(automatic->text());
    automatic->setChecked(updater.automaticallyChecksForUpdates());
    connect(automatic, &QCheckBox::toggled, this,
            [&updater](bool on) { updater.setAutomaticallyChecksForUpdates(on); });
    updates->addWidget(automatic);
    auto* frequency = new QComboBox;
    frequency->setAccessibleName(QString::fromUtf8(ShellTexts::checkFrequency));
    for (auto each : {UpdateCheckFrequency::daily, UpdateCheckFrequency::weekly}) {
        frequency->addItem(QString::fromUtf8(title(each)));
    }
    frequency->setCurrentIndex(updater.checkFrequency() == UpdateCheckFrequency::daily ? 0 : 1);
    connect(frequency, &QComboBox::currentIndexChanged, this, [&updater](int index) {
        updater.setCheckFrequency(index == 0 ? UpdateCheckFrequency::daily
                                             : UpdateCheckFrequency::weekly);
    });
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8(ShellTexts::checkFrequency), frequency);
    updates->addLayout(form);
    auto* now = new QPushButton(QString::fromUtf8(ShellTexts::checkNow));
    now->setAccessibleName(now->text());
    connect(now, &QPushButton::clicked, this, [&updater] { updater.checkForUpdates(); });
    updates->addWidget(now, 0, Qt::AlignLeft);
    addHelp(updates, QString::fromUtf8(ShellTexts::updatesSigned));
}

}  // namespace veyrune
