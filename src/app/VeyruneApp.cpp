#include "app/VeyruneApp.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>
#include <future>

#include "BuildSettings.h"
#include "app/LogRoutes.h"
#include "app/shell/FileManagerReveal.h"
#include "base/DataLocation.h"
#include "review/QuickCSVExport.h"

namespace veyrune {

namespace {

constexpr auto kFlushWait = std::chrono::milliseconds(2000);
constexpr auto kFirstSealWait = std::chrono::milliseconds(2000);

}  // namespace

VeyruneApp::VeyruneApp(const QString& executablePath)
    : systemKeychain_(build::applicationID),
      settings_(preferences_, keychain_, &blockingIO_),
      system_(LinuxSystemServices::create()),
      wakes_(*system_.wake),
      watcher_(*system_.eventSource, *system_.wakeReasons, SystemClock::shared()),
      sleepClock_(DisplaySleepTransitionClock::make(SystemClock::shared())),
      sleepGateStatus_([this] { return system_.powerManager->probe(); }),
      delivery_(pool_, blockingIO_, settings_, keychain_, SystemClock::shared(),
                system_.network.get(), &wakes_.branch()),
      evidence_(pool_, blockingIO_, SystemClock::shared(), mainQueue_),
      dispatcherQueue_(pool_.pool(), AlertDispatcher::queueLabel),
      dispatcherTimer_(pool_.pool(), &wakes_.branch()),
      sealQueue_(blockingIO_.pool(), "Veyrune.Sealing"),
      sealTimer_(pool_.pool(), &wakes_.branch()),
      sealer_(SystemClock::shared(), PosixFileSystem::shared(), events_, sealKeyFile(),
              sealsFile()),
      sealing_(sealer_, sealQueue_, sealTimer_, &wakes_.branch(), SystemClock::shared(), {},
               &settings_),
      forwarding_(pool_, blockingIO_, JSONLFileSecurityEventStore::defaultFileURL(), sealsFile(),
                  logRoutes(settings_)),
      updater_(UpdaterModel::make(build::updateSigningKey, nullptr)),
      autostart_(PosixFileSystem::shared(), executablePath.toStdString()),
      launchAtLogin_(autostart_),
      bus_([this](ApplicationBusService::Activation activation) { activate(activation); },
           [this](const QString& name) {
               auto action = appActionNamed(name.toStdString(), model_->isDeveloperModeEnabled());
               return action && perform(*action);
           }) {
    auto manager = delivery_.sharedManager();
    auto dispatcher = AlertDispatcher::make(
        std::make_unique<AlertBurstCoalescer>(AlertBurstConfiguration{}, *sleepClock_),
        [manager](SecurityEvent event, std::function<void()> done) {
            manager->enqueueWithOutcome(event, [done](DeliveryEnqueueOutcome) { done(); });
        },
        dispatcherQueue_, SystemClock::shared(), dispatcherTimer_, pool_);
    DeliveryHooks hooks{
        [manager](const SecurityEvent& event, std::function<void(DeliveryEnqueueOutcome)> done) {
            manager->enqueueWithOutcome(event, std::move(done));
        },
        [manager] { manager->flushNow(); }, [manager] { return manager->isQueueEmpty(); }};
    model_ = AppModel::make(
        {events_, evidenceItems_, settings_, SystemClock::shared(), mainQueue_,
         PosixFileSystem::shared(), [this] { return watcher_.currentEventContext(); }, dispatcher,
         hooks, evidence_.screenshots(), evidence_.camera(), evidence_.cameraAuthorization(),
         *system_.powerManager, sleepGateStatus_, monotonicClock_, pool_});
    wire();
}

VeyruneApp::~VeyruneApp() {
    forwarding_.stop(std::chrono::steady_clock::now());
    // No queue work or blocking call may outlive the objects it points at.
    blockingIO_.shutdown();
    pool_.shutdown();
}

void VeyruneApp::wire() {
    std::weak_ptr<AppModel> weak = model_;
    watcher_.rawEventHandler = [weak, this](const RawSystemEvent& raw) {
        mainQueue_.post([weak, raw] {
            if (auto model = weak.lock()) {
                model->handle(raw);
            }
        });
    };
    // An epoch that ended while Veyrune was off is sealed before the watcher
    // can append anything of the new one. Waited for here (one write at most,
    // bounded), so the watcher listens before Veyrune answers on the bus: a
    // signal sent right after start-up is never missed.
    auto sealed = std::make_shared<std::promise<void>>();
    auto firstSeal = sealed->get_future();
    sealing_.afterEveryTick([this] { forwarding_.logWritten(); });
    sealing_.start([sealed, this] {
        sealed->set_value();
        forwarding_.logWritten();
    });
    firstSeal.wait_for(kFirstSealWait);
    // Every route follows the logs from its cursor; each recorded event and
    // each seal pokes them, nothing polls.
    forwarding_.routesChanged();
    forwarding_.observeWake(wakes_.branch());
    model_->addObserver([this] { forwarding_.logWritten(); });
    settings_.addObserver([this](const char* key) {
        if (isLogRouteSetting(key)) {
            forwarding_.routesChanged();
        }
    });
    watcher_.start();
    sleepClock_->start(*system_.displaySleep);
    model_->setBeforeSleep([this](std::function<void()> done) {
        sealing_.close([this, done = std::move(done)] {
            forwarding_.logWritten();
            done();
        });
    });
    model_->installSleepGate();
    delivery_.manager().observeWake(wakes_.branch());
    auto keepDays = settings_.value(Settings::evidenceKeepDays);
    auto cap = settings_.evidenceSizeCapMB();
    auto& library = evidence_.library();
    blockingIO_.run([&library, keepDays, cap] { library.enforceRetention(keepDays, cap); });
    system_.shutdown->observeShutdown([this](ShutdownSignal) { quit(); });
}

std::filesystem::path VeyruneApp::sealsFile() {
    return JSONLFileSecurityEventStore::defaultFileURL().parent_path() / "security-events.seals";
}

std::filesystem::path VeyruneApp::sealKeyFile() {
    return JSONLFileSecurityEventStore::defaultFileURL().parent_path() / "security-events.sealkey";
}

bool VeyruneApp::publishOnSessionBus(bool startedByBus) {
    return bus_.publish(QDBusConnection::sessionBus(), startedByBus);
}

bool VeyruneApp::perform(const AppAction& action) {
    if (action.isDeveloperAction() && !model_->isDeveloperModeEnabled()) {
        return false;
    }
    switch (action.kind) {
        case AppAction::Kind::toggleArm:
            model_->setArmed(!model_->isArmed());
            break;
        case AppAction::Kind::destination:
            if (*action.destination == MenuPanelReleaseDestination::checkForUpdates) {
                updater_->checkForUpdates();
            } else if (*action.destination == MenuPanelReleaseDestination::settings &&
                       windows_.openSettings) {
                windows_.openSettings();
            } else if (windows_.open) {
                windows_.open(*action.destination);
            }
            break;
        case AppAction::Kind::quit:
            mainQueue_.post([this] { quit(); });
            break;
        case AppAction::Kind::recordTestEvent:
            recordTestEvent();
            break;
        case AppAction::Kind::queueTestDelivery:
            model_->sendTestAlert();
            break;
        case AppAction::Kind::testCameraSnapshot:
            model_->testCameraSnapshot();
            break;
        case AppAction::Kind::testScreenshot:
            model_->testScreenshot();
            break;
        case AppAction::Kind::exportCSV:
            exportQuickCSV();
            break;
        case AppAction::Kind::clearRecentActivity:
            model_->clearRecentEvents();
            break;
    }
    return true;
}

void VeyruneApp::activate(ApplicationBusService::Activation activation) {
    if (windows_.activate) {
        windows_.activate(activation);
    }
}

void VeyruneApp::recordTestEvent() {
    if (watcher_.rawEventHandler) {
        watcher_.rawEventHandler(RawSystemEvent{Uuid::random(),
                                                SystemClock::shared().now(),
                                                SecurityEventKind::didWake,
                                                {{"source", "Developer menu test event"}}});
    }
}

void VeyruneApp::exportQuickCSV() {
    // Beside the logs, in Veyrune's own data folder.
    auto folder = veyruneDataDirectory();
    auto& events = events_;
    auto& mainQueue = mainQueue_;
    blockingIO_.run([&events, &mainQueue, folder] {
        auto file =
            quickExportCSV(events, PosixFileSystem::shared(), folder, SystemClock::shared().now());
        if (file) {
            mainQueue.post([file = *file] {
                revealInFileManager(file, QDBusConnection::sessionBus(),
                                    [](const QUrl& url) { QDesktopServices::openUrl(url); });
            });
        }
    });
}

DiagnosticsInputs VeyruneApp::diagnosticsInputs() {
    DiagnosticsInputs inputs;
    inputs.captureCamera = settings_.value(Settings::captureCamera);
    inputs.captureScreenshots = settings_.value(Settings::captureScreenshots);
    inputs.cameraStatus = evidence_.cameraAuthorization().status();
    inputs.screenCaptureAccess = evidence_.screenSource().captureAccess();
    inputs.screenCaptureMethod = evidence_.screenCaptureMethod();
    inputs.telegram =
        settings_.telegramConfiguration().status(settings_.value(Settings::enableTelegram));
    inputs.webhook =
        delivery_.webhookConfiguration().status(settings_.value(Settings::enableWebhook));
    inputs.queueSummary = delivery_.manager().queueSummary();
    inputs.sleepGateAvailable = sleepGateStatus_.isAvailable();
    inputs.sealEventLog = settings_.value(Settings::sealEventLog);
    inputs.sealingError = sealing_.lastError();
    inputs.systemJournal = forwarding_.systemJournal();
    inputs.collector = forwarding_.collector();
    inputs.collectorAddress = settings_.value(Settings::collectorAddress);
    return inputs;
}

void VeyruneApp::channelsChanged() {
    keychain_.forget();
    delivery_.manager().channelsChanged();
}

void VeyruneApp::flushBufferedAlerts() {
    auto finished = std::make_shared<std::promise<void>>();
    auto future = finished->get_future();
    model_->flushBufferedAlerts([finished] { finished->set_value(); });
    future.wait_for(kFlushWait);
}

void VeyruneApp::quit() {
    auto deadline = std::chrono::steady_clock::now() + kFlushWait;
    flushBufferedAlerts();
    // Sends get what is left of the budget; whatever still waits on the
    // network then is cut short and goes out after the next start.
    delivery_.manager().stop(deadline);
    auto sealed = std::make_shared<std::promise<void>>();
    auto closed = sealed->get_future();
    sealing_.close([sealed] { sealed->set_value(); });
    closed.wait_until(deadline);
    // A route that is sending gets what is left of the budget, then is cut:
    // its lines go out after the next start.
    forwarding_.stop(deadline);
    QCoreApplication::quit();
}

}  // namespace veyrune
