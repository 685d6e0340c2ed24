#include <sys/stat.h>
#include <QApplication>
#include <QDBusConnection>
#include <cstdio>

#include "app/ApplicationBusService.h"
#include "app/VeyruneApp.h"

using namespace veyrune;

int main(int argc, char* argv[]) {
    // Logs, evidence, the outbox and the preferences are nobody else's business.
    ::umask(077);
    QApplication application(argc, argv);
    QApplication::setApplicationName("Veyrune");
    QApplication::setDesktopFileName("org.veyrune.Veyrune");
    // A tray application: closing the last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    auto sessionBus = QDBusConnection::sessionBus();
    if (ApplicationBusService::activateRunningInstance(sessionBus)) {
        std::fputs("Veyrune is already running; it was asked to come forward.\n", stderr);
        return 0;
    }
    VeyruneApp app(QApplication::applicationFilePath());
    if (!app.publishOnSessionBus() && sessionBus.isConnected()) {
        // Lost a race with another launch: that one runs.
        ApplicationBusService::activateRunningInstance(sessionBus);
        return 0;
    }
    return QApplication::exec();
}
