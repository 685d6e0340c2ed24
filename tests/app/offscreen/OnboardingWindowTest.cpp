#include "app/shell/OnboardingWindow.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QPushButton>

#include "ShellHarness.h"

namespace veyrune::test {
namespace {

struct OnboardingCase {
    const char* button;
    bool ticked;
    bool completed;
    bool opensSettings;
};

class OnboardingButtonTest : public ::testing::TestWithParam<OnboardingCase> {};

TEST_P(OnboardingButtonTest, RecordsCompletionOnlyWhenTicked) {
    const auto& c = GetParam();
    ShellHarness h;
    h.shell->open(MenuPanelReleaseDestination::gettingStarted);
    auto* window = static_cast<OnboardingWindow*>(
        h.shell->window(MenuPanelReleaseDestination::gettingStarted));
    window->doNotShowAgain().setChecked(c.ticked);
    window->findChild<QPushButton*>(c.button)->click();
    QApplication::processEvents();
    EXPECT_EQ(h.preferences.contains("hasCompletedOnboarding"), c.completed);
    EXPECT_EQ(h.settings->value(Settings::hasCompletedOnboarding), c.completed);
    EXPECT_EQ(h.shell->window(MenuPanelReleaseDestination::gettingStarted), nullptr);
    EXPECT_EQ(h.shell->window(MenuPanelReleaseDestination::settings) != nullptr, c.opensSettings);
}

INSTANTIATE_TEST_SUITE_P(Buttons, OnboardingButtonTest,
                         ::testing::Values(OnboardingCase{"done", false, false, false},
                                           OnboardingCase{"done", true, true, false},
                                           OnboardingCase{"openSettings", false, false, true},
                                           OnboardingCase{"openSettings", true, true, true}));

TEST(OnboardingWindowTest, ClosingTheWindowRecordsNothing) {
    ShellHarness h;
    h.shell->open(MenuPanelReleaseDestination::gettingStarted);
    auto* window = static_cast<OnboardingWindow*>(
        h.shell->window(MenuPanelReleaseDestination::gettingStarted));
    window->doNotShowAgain().setChecked(true);
    window->close();
    EXPECT_FALSE(h.preferences.contains("hasCompletedOnboarding"));
}

}  // namespace
}  // namespace veyrune::test
