#include "app/shell/Shell.h"

#include <cstring>

#include <QApplication>
#include <QMessageBox>
#include <QVBoxLayout>

#include "app/shell/AboutView.h"
#include "app/shell/EvidenceWindow.h"
#include "app/shell/OnboardingWindow.h"
#include "app/shell/PanelMenu.h"
#include "app/shell/PrivacyPolicyWindow.h"
#include "app/shell/ShellTexts.h"
#include "app/shell/TimelineWindow.h"
#include "app/shell/TrayIcon.h"
#include "app/shell/VeyruneMark.h"
#include "app/shell/WorkerThread.h"
#include "base/PosixFileSystem.h"

namespace veyrune {

namespace {

using Destination = MenuPanelReleaseDestination;

QWidget* makeAboutWindow(std::function<void()> openPrivacyPolicy) {
    auto* window = new QWidget;
    window->setObjectName(QStringLiteral("about"));
    window->setWindowTitle(QString::fromUtf8(ShellTexts::aboutTitle));
    auto* layout = new QVBoxLayout(window);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* view = new AboutView(std::move(openPrivacyPolicy), window);
    view->setMinimumSize(380, 360);
    layout->addWidget(view);
    return window;
}

}  // namespace

Shell::Shell(ShellDependencies dependencies)
    : d_(std::move(dependencies)),
      worker_(std::make_unique<WorkerThread>(QStringLiteral("Veyrune.Timeline"))) {
    QApplication::setWindowIcon(VeyruneMark::applicationIcon());
    listedInTaskbar_ = d_.settings.value(Settings::showDockIcon);
    panel_ = std::make_unique<PanelMenu>(
        d_.model, d_.updater, [this](const AppAction& action) { perform(action); },
        [this] { showOnboardingIfNeeded(); });
    if (d_.showTrayIcon) {
        tray_ = std::make_unique<TrayIcon>(d_.model, *panel_);
    }
    QPointer<Shell> self = this;
    d_.settings.addObserver([self](const char* key) {
        if (std::strcmp(key, Settings::showDockIcon.key) != 0) {
            return;
        }
        // Preferences may be written on any thread; the windows change on the main one.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self] {
                if (self) {
                    self->taskbarSettingChanged();
                }
            },
            Qt::AutoConnection);
    });
    d_.navigation.addObserver([self] {
        if (self) {
            self->navigationChanged();
        }
    });
}

Shell::~Shell() {
    for (QPointer<QWidget>* slot :
         {&timeline_, &evidence_, &settings_, &onboarding_, &about_, &privacy_}) {
        delete slot->data();
    }
}

void Shell::perform(const AppAction& action) {
    switch (action.kind) {
        case AppAction::Kind::toggleArm:
            d_.model.setArmed(!d_.model.isArmed());
            return;
        case AppAction::Kind::destination:
            if (action.destination) {
                open(*action.destination);
            }
            return;
        default:
            if (d_.perform) {
                d_.perform(action);
            }
    }
}

template <typename Make>
QWidget* Shell::present(QPointer<QWidget>& slot, Make make) {
    if (!slot) {
        slot = make();
        slot->setAttribute(Qt::WA_DeleteOnClose);
        applyTaskbarListing(slot);
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

void Shell::open(Destination destination) {
    switch (destination) {
        case Destination::timeline:
            present(timeline_, [this] {
                return new TimelineWindow(
                    *worker_,
                    TimelineController::Collaborators{
                        d_.events, d_.evidenceItems, d_.deliveries,
                        [inputs = d_.diagnosticsInputs] {
                            return makeDiagnosticsSnapshot(inputs ? inputs() : DiagnosticsInputs{});
                        },
                        d_.exporter, d_.clock, d_.tasks, *worker_,
                        [seals = d_.sealsFile]() -> std::optional<SealChainStatus> {
                            if (seals.empty()) {
                                return std::nullopt;
                            }
                            return readSealChainStatus(PosixFileSystem::shared(), seals);
                        }},
                    d_.navigation.selectedEventID());
            });
            return;
        case Destination::evidence:
            present(evidence_, [this] {
                return new EvidenceWindow(EvidenceWindow::Collaborators{d_.evidenceLibrary,
                                                                        d_.evidenceItems,
                                                                        d_.events,
                                                                        d_.navigation,
                                                                        *worker_,
                                                                        d_.tasks,
                                                                        {}});
            });
            return;
        case Destination::settings:
            openSettings();
            return;
        case Destination::gettingStarted:
            present(onboarding_, [this] {
                return new OnboardingWindow(d_.settings, [this] { openSettings(); });
            });
            return;
        case Destination::checkForUpdates:
            d_.updater.checkForUpdates();
            return;
        case Destination::about:
            present(about_, [this] { return makeAboutWindow([this] { openPrivacyPolicy(); }); });
            return;
    }
}

void Shell::openSettings(SettingsTab tab) {
    auto* window = present(settings_, [this] {
        return new SettingsWindow(SettingsWindow::Collaborators{
            d_.model, d_.settings, d_.launchAtLogin, d_.updater, d_.webhookConfiguration, d_.tasks,
            d_.screenCaptureMethod, d_.channelsChanged, d_.openAutostartSettings,
            [this](const EvidencePermissionPreflight& preflight) { reviewPermission(preflight); },
            [this] { open(Destination::evidence); }, [this] { openPrivacyPolicy(); }, d_.sealing});
    });
    static_cast<SettingsWindow*>(window)->selectTab(tab);
}

void Shell::openPrivacyPolicy() {
    present(privacy_, [] { return new PrivacyPolicyWindow; });
}

void Shell::showOnboardingIfNeeded() {
    if (didCheckOnboarding_) {
        return;
    }
    didCheckOnboarding_ = true;
    if (!d_.settings.value(Settings::hasCompletedOnboarding)) {
        open(Destination::gettingStarted);
    }
}

void Shell::activate(ApplicationBusService::Activation activation) {
    if (activation == ApplicationBusService::Activation::launch) {
        showOnboardingIfNeeded();
        return;
    }
    openSettings();
}

QWidget* Shell::window(Destination destination) const {
    switch (destination) {
        case Destination::timeline:
            return timeline_;
        case Destination::evidence:
            return evidence_;
        case Destination::settings:
            return settings_;
        case Destination::gettingStarted:
            return onboarding_;
        case Destination::about:
            return about_;
        case Destination::checkForUpdates:
            break;
    }
    return nullptr;
}

void Shell::applyTaskbarListing(QWidget* window) const {
    // A utility window is left out of the taskbar and the window switcher.
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::Tool, !listedInTaskbar_);
    if (wasVisible) {
        window->show();
    }
}

void Shell::taskbarSettingChanged() {
    const bool listed = d_.settings.value(Settings::showDockIcon);
    if (listed == listedInTaskbar_) {
        return;
    }
    listedInTaskbar_ = listed;
    for (QWidget* window : {timeline_.data(), evidence_.data(), settings_.data(),
                            onboarding_.data(), about_.data(), privacy_.data()}) {
        if (window) {
            applyTaskbarListing(window);
        }
    }
}

void Shell::navigationChanged() {
    const auto selected = d_.navigation.selectedEventID();
    if (auto* timeline = static_cast<TimelineWindow*>(timeline_.data())) {
        timeline->selectEvent(selected);
    }
    if (selected) {
        open(Destination::timeline);
    }
}

void Shell::reviewPermission(const EvidencePermissionPreflight& preflight) {
    if (d_.reviewPermission) {
        d_.reviewPermission(preflight);
        return;
    }
    QMessageBox::information(settings_, QString::fromStdString(preflight.title),
                             QString::fromStdString(preflight.message));
}

}  // namespace veyrune
