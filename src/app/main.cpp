#include <sys/stat.h>
#include <QApplication>
#include <QDBusConnection>

#include "app/VeyruneApp.h"
#include "app/shell/ApplicationBusService.h"
#include "app/shell/Shell.h"
#include "base/VersionText.h"
#include "review/DeliveryManagerStatusSource.h"
#include "review/TimelineExporter.h"

using namespace veyrune;

namespace {

// Veyrune writes nothing to the terminal: what the user needs to know is in
// its windows. Warnings of Qt and its plug-ins are dropped.
void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(dropMessage);
    // Logs, evidence, the outbox and the preferences are nobody else's business.
    ::umask(077);
    QApplication application(argc, argv);
    QApplication::setApplicationName("Veyrune");
    QApplication::setDesktopFileName("org.veyrune.Veyrune");
    // A tray application: closing the last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    auto sessionBus = QDBusConnection::sessionBus();
    if (ApplicationBusService::activateRunningInstance(sessionBus)) {
        return 0;  // the running instance came forward
    }
    const bool startedByBus = QApplication::arguments().contains(
        QString::fromLatin1(ApplicationBusService::busActivationArgument));
    VeyruneApp app(QApplication::applicationFilePath());
    DeliveryManagerStatusSource deliveries(app.delivery().sharedManager());
    TimelineExporter exporter(PosixFileSystem::shared(),
                              JSONLFileSecurityEventStore::defaultFileURL(), SystemClock::shared(),
                              currentVersionText());
    ShellDependencies shellDependencies{app.model(),
                                        app.settings(),
                                        app.launchAtLogin(),
                                        app.updater(),
                                        app.navigation(),
                                        app.eventStore(),
                                        app.evidenceItemStore(),
                                        app.evidence().library(),
                                        deliveries,
                                        [&app] { return app.diagnosticsInputs(); },
                                        exporter,
                                        app.delivery().webhookConfiguration(),
                                        SystemClock::shared(),
                                        app.taskPool(),
                                        [&app] { app.channelsChanged(); },
                                        [&app](const AppAction& action) { app.perform(action); }};
    shellDependencies.screenCaptureMethod = app.evidence().screenCaptureMethod();
    shellDependencies.sealing = &app.sealing();
    shellDependencies.sealsFile = VeyruneApp::sealsFile();
    Shell shell(shellDependencies);
    app.setWindowHooks(
        {[&shell](MenuPanelReleaseDestination destination) { shell.open(destination); },
         [&shell] { shell.openSettings(); },
         [&shell](ApplicationBusService::Activation activation) { shell.activate(activation); }});
    if (!app.publishOnSessionBus(startedByBus) && sessionBus.isConnected()) {
        // Lost a race with another launch: that one runs.
        ApplicationBusService::activateRunningInstance(sessionBus);
        return 0;
    }
    // The tray is Veyrune's panel; its first showing is the launch.
    shell.showOnboardingIfNeeded();
    int status = QApplication::exec();
    // Ended some other way than quit(): sends still in flight are cut short
    // rather than waited for.
    app.delivery().manager().stop(std::chrono::steady_clock::now());
    // No pool work may outlive the windows it reports to.
    app.taskPool().shutdown();
    return status;
}
