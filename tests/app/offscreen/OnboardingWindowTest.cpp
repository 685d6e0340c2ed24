#include "app/shell/OnboardingWindow.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QPushButton>

#include "ShellHarness.h"

namespace veyrune::test {
namespace {

OnboardingWindow* openOnboarding(ShellHarness& h) {
    h.shell->open(MenuPanelReleaseDestination::gettingStarted);
    return static_cast<OnboardingWindow*>(
        h.shell->window(MenuPanelReleaseDestination::gettingStarted));
}

TEST(OnboardingWindowTest, ButtonsRecordCompletionOnlyWhenTicked) {
    struct Row {
        const char* button;
        bool ticked;
        bool opensSettings;
    } rows[] = {{"done", false, false}, {"done", true, false}, {"openSettings", true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.button) + (row.ticked ? " ticked" : ""));
        ShellHarness h;
        auto* window = openOnboarding(h);
        window->doNotShowAgain().setChecked(row.ticked);
        window->findChild<QPushButton*>(row.button)->click();
        QApplication::processEvents();
        // Unticked leaves the preference unset, not stored as false.
        EXPECT_EQ(h.preferences.contains("hasCompletedOnboarding"), row.ticked);
        EXPECT_EQ(h.settings->value(Settings::hasCompletedOnboarding), row.ticked);
        EXPECT_EQ(h.shell->window(MenuPanelReleaseDestination::gettingStarted), nullptr);
        EXPECT_EQ(h.shell->window(MenuPanelReleaseDestination::settings) != nullptr,
                  row.opensSettings);
    }
}

TEST(OnboardingWindowTest, ClosingTheWindowRecordsNothing) {
    ShellHarness h;
    auto* window = openOnboarding(h);
    window->doNotShowAgain().setChecked(true);
    window->close();
    EXPECT_FALSE(h.preferences.contains("hasCompletedOnboarding"));
}

}  // namespace
}  // namespace veyrune::test
