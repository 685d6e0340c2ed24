#include "app/shell/ApplicationBusService.h"

#include <gtest/gtest.h>
#include <QDBusMessage>
#include <QDBusPendingCall>

#include "PrivateSessionBus.h"
#include "ShellHarness.h"

namespace veyrune::test {
namespace {

using Destination = MenuPanelReleaseDestination;

// The shell behind org.freedesktop.Application on a private bus, wired as the
// program wires it, and the desktop's launcher calling it.
struct PublishedShell {
    PublishedShell(bool startedByBus, bool onboardingDone)
        : h([onboardingDone](InMemoryPreferences& p) {
              if (onboardingDone) {
                  p.set("hasCompletedOnboarding", true);
              }
          }),
          service([this](ApplicationBusService::Activation a) { h.shell->activate(a); },
                  [this](const QString& name) {
                      auto action = appActionNamed(name.toStdString(), false);
                      if (action) {
                          h.shell->perform(*action);
                      }
                      return action.has_value();
                  }) {
        EXPECT_TRUE(service.publish(bus.connect(), startedByBus));
        // Starting shows what a launch shows, before any request arrives.
        h.shell->showOnboardingIfNeeded();
    }

    void call(const QString& method, const QVariantList& arguments) {
        auto message = QDBusMessage::createMethodCall(
            ApplicationBusService::serviceName, ApplicationBusService::objectPath,
            QStringLiteral("org.freedesktop.Application"), method);
        message.setArguments(arguments);
        QDBusPendingCall pending = launcher.asyncCall(message);
        ASSERT_TRUE(waitUntil([&] { return pending.isFinished(); }));
        EXPECT_FALSE(pending.isError()) << pending.error().message().toStdString();
    }
    void activate() { call(QStringLiteral("Activate"), {QVariantMap{}}); }

    bool isOpen(Destination destination) const { return h.shell->window(destination); }

    PrivateSessionBus bus;
    ShellHarness h;
    ApplicationBusService service;
    QDBusConnection launcher = bus.connect();
};

// D-Bus activation starts Veyrune and then delivers the launcher's Activate:
// that one is the launch, not a request to reopen Settings.
TEST(ActivationTest, TheActivateThatStartedVeyruneIsTheLaunchAndLaterOnesOpenSettings) {
    struct Row {
        const char* name;
        bool startedByBus;
        bool onboardingDone;
        bool firstIsAction;
        bool gettingStartedAfterFirst;
        bool settingsAfterFirst;
    } rows[] = {
        {"bus-started, first launch", true, false, false, true, false},
        {"bus-started, onboarding done", true, true, false, false, false},
        {"started at login, launched again", false, true, false, false, true},
        {"bus-started for an action", true, true, true, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PublishedShell app(row.startedByBus, row.onboardingDone);
        if (row.firstIsAction) {
            app.call(QStringLiteral("ActivateAction"),
                     {QStringLiteral("about"), QVariantList{}, QVariantMap{}});
            EXPECT_TRUE(app.isOpen(Destination::about));
        } else {
            app.activate();
        }
        EXPECT_EQ(app.isOpen(Destination::gettingStarted), row.gettingStartedAfterFirst);
        EXPECT_EQ(app.isOpen(Destination::settings), row.settingsAfterFirst);

        app.activate();
        EXPECT_TRUE(app.isOpen(Destination::settings));
        EXPECT_EQ(app.isOpen(Destination::gettingStarted), row.gettingStartedAfterFirst);
    }
}

}  // namespace
}  // namespace veyrune::test
