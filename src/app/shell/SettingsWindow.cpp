#include "app/shell/SettingsWindow.h"

#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/shell/AboutView.h"
#include "app/shell/AlertsSettingsTab.h"
#include "app/shell/EvidenceSettingsTab.h"
#include "app/shell/GeneralSettingsTab.h"
#include "app/shell/LogEnginesSettingsTab.h"
#include "app/shell/SettingsForm.h"
#include "app/shell/ShellTexts.h"
#include "app/shell/SymbolIcon.h"
#include "app/shell/TriggersSettingsTab.h"
#include "base/PosixFileSystem.h"

namespace veyrune {

namespace {

// Long tabs scroll rather than growing the window.
QWidget* scrolling(QWidget* content) {
    auto* area = new QScrollArea;
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    return area;
}

}  // namespace

SettingsWindow::SettingsWindow(Collaborators c, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("settings"));
    setWindowTitle(QString::fromUtf8(ShellTexts::settingsWindowTitle));
    resize(640, 620);  // six tabs side by side
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setAccessibleName(windowTitle());
    tabs_->tabBar()->setAccessibleName(windowTitle());
    layout->addWidget(tabs_);

    tabs_->addTab(scrolling(new GeneralSettingsTab(c.model, c.settings, c.launchAtLogin, c.updater,
                                                   c.openAutostartSettings, c.sealing)),
                  symbolIcon("gearshape"), QString::fromUtf8(ShellTexts::general));
    tabs_->addTab(scrolling(new TriggersSettingsTab(c.model, c.settings)),
                  symbolIcon("bolt.shield"), QString::fromUtf8(ShellTexts::triggers));
    tabs_->addTab(scrolling(new EvidenceSettingsTab(c.settings, c.screenCaptureMethod,
                                                    c.reviewPermission, c.openEvidenceLibrary)),
                  symbolIcon("camera"), QString::fromUtf8(ShellTexts::evidence));
    tabs_->addTab(
        scrolling(new AlertsSettingsTab(c.settings, c.webhook, c.pool, c.channelsChanged)),
        symbolIcon("bell.badge"), QString::fromUtf8(ShellTexts::alerts));
    tabs_->addTab(
        scrolling(new LogEnginesSettingsTab(c.settings, c.pool, PosixFileSystem::shared())),
        symbolIcon("list.bullet.rectangle"), QString::fromUtf8(ShellTexts::logEngines));
    auto* about = new QWidget;
    auto* aboutPage = SettingsForm::makePage(about, ShellTexts::about, ShellTexts::aboutSubtitle);
    aboutPage->addWidget(new AboutView(c.openPrivacyPolicy, about), 1);
    tabs_->addTab(about, symbolIcon("info.circle"), QString::fromUtf8(ShellTexts::about));
}

void SettingsWindow::selectTab(SettingsTab tab) {
    tabs_->setCurrentIndex(static_cast<int>(tab));
}

}  // namespace veyrune
