#include "app/shell/PanelMenu.h"

#include <gtest/gtest.h>
#include <QMenu>

#include "ShellHarness.h"

namespace veyrune::test {
namespace {

QAction* entry(QMenu& menu, const QString& name) {
    for (QAction* action : menu.actions()) {
        if (action->objectName() == name) {
            return action;
        }
    }
    return nullptr;
}

QStringList texts(QMenu& menu) {
    QStringList all;
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            all << action->text();
        }
    }
    return all;
}

TEST(PanelMenuTest, SnapshotShowsTheModelsTextsInBothArmedStates) {
    for (bool armed : {true, false}) {
        ShellHarness h;
        h.model->setArmed(armed);
        QMenu& panel = h.shell->panel();
        EXPECT_EQ(entry(panel, "stateTitle")->text(), armed ? "Armed" : "Disarmed");
        EXPECT_EQ(entry(panel, "stateDetail")->text(),
                  armed ? "Watching for protected activity" : "Veyrune is idle");
        EXPECT_EQ(entry(panel, "toggle-arm")->text(), armed ? "Disarm Veyrune" : "Arm Veyrune");
        EXPECT_FALSE(entry(panel, "stateTitle")->isEnabled());
        EXPECT_EQ(panel.accessibleName(), armed ? "Veyrune, armed" : "Veyrune, disarmed");
    }
    // With a recent event, its summary becomes the detail line.
    ShellHarness h;
    h.model->setArmed(true);
    h.model->handle(
        RawSystemEvent{Uuid::random(), h.clock.now(), SecurityEventKind::screenLocked, {}});
    h.queue.drain();
    ASSERT_EQ(h.model->recentEvents().size(), 1u);
    EXPECT_EQ(entry(h.shell->panel(), "stateDetail")->text(),
              QString::fromStdString(h.model->recentEvents()[0].summary));
    EXPECT_EQ(entry(h.shell->panel(), "recentEventsTitle")->text(), "Recent events");
}

TEST(PanelMenuTest, DestinationsAndQuitWithoutDeveloperOrUpdateEntries) {
    ShellHarness h;
    EXPECT_EQ(texts(h.shell->panel()).mid(3),
              (QStringList{"No recent events", "Timeline", "Evidence", "Settings\u2026",
                           "Getting Started", "About Veyrune", "Quit Veyrune"}));
    EXPECT_EQ(h.shell->panel().findChild<QMenu*>("developer"), nullptr);
}

TEST(PanelMenuTest, DeveloperModeAddsTheDeveloperSubmenu) {
    ShellHarness h([](InMemoryPreferences& p) { p.set("VeyruneDeveloperMode", true); });
    auto* developer = h.shell->panel().findChild<QMenu*>("developer");
    ASSERT_NE(developer, nullptr);
    EXPECT_EQ(texts(*developer).size(), 6);
    entry(*developer, "export-csv")->trigger();
    ASSERT_EQ(h.performed.size(), 1u);
    EXPECT_EQ(h.performed[0].kind, AppAction::Kind::exportCSV);
}

TEST(PanelMenuTest, EntriesOpenTheirWindowsAndToggleArms) {
    ShellHarness h([](InMemoryPreferences& p) { p.set("hasCompletedOnboarding", true); });
    for (auto [name, opens] : {std::pair{"timeline", MenuPanelReleaseDestination::timeline},
                               std::pair{"settings", MenuPanelReleaseDestination::settings}}) {
        entry(h.shell->panel(), name)->trigger();
        QWidget* window = h.shell->window(opens);
        ASSERT_NE(window, nullptr) << name;
        EXPECT_TRUE(window->isVisible()) << name;
    }
    entry(h.shell->panel(), "toggle-arm")->trigger();
    EXPECT_TRUE(h.model->isArmed());
    entry(h.shell->panel(), "quit")->trigger();
    ASSERT_EQ(h.performed.size(), 1u);
    EXPECT_EQ(h.performed[0].kind, AppAction::Kind::quit);
}

TEST(PanelMenuTest, OnboardingOpensOnFirstShowingOnlyOncePerLaunch) {
    ShellHarness h;
    QMenu& panel = h.shell->panel();
    emit panel.aboutToShow();
    QWidget* onboarding = h.shell->window(MenuPanelReleaseDestination::gettingStarted);
    ASSERT_NE(onboarding, nullptr);
    onboarding->close();
    QApplication::processEvents();
    emit panel.aboutToShow();
    h.shell->showOnboardingIfNeeded();
    EXPECT_EQ(h.shell->window(MenuPanelReleaseDestination::gettingStarted), nullptr);
}

TEST(PanelMenuTest, NoOnboardingOnceCompleted) {
    ShellHarness h([](InMemoryPreferences& p) { p.set("hasCompletedOnboarding", true); });
    emit h.shell->panel().aboutToShow();
    EXPECT_EQ(h.shell->window(MenuPanelReleaseDestination::gettingStarted), nullptr);
}

}  // namespace
}  // namespace veyrune::test
