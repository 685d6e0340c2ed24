// Walks every control of every window: each must take keyboard focus and
// carry an accessible name.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

#include "app/shell/PanelMenu.h"

#include "ShellHarness.h"
#include "support/EventFactory.h"

namespace veyrune::test {
namespace {

bool isControl(QWidget* widget) {
    // Parts of a compound control (a spin box's editor, a tab bar's scroll
    // buttons) are reached through the control itself.
    QWidget* parent = widget->parentWidget();
    if (qobject_cast<QAbstractSpinBox*>(parent) || qobject_cast<QComboBox*>(parent) ||
        qobject_cast<QTabBar*>(parent)) {
        return false;
    }
    return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
           qobject_cast<QComboBox*>(widget) || qobject_cast<QLineEdit*>(widget) ||
           qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QTabBar*>(widget);
}

// Names of the visible controls that fail; empty when all pass.
QStringList failures(QWidget* window) {
    QStringList failed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!isControl(widget) || !widget->isVisibleTo(window)) {
            continue;
        }
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        const QString name = accessible ? accessible->text(QAccessible::Name) : QString();
        const QString label = QString::fromLatin1(widget->metaObject()->className()) + " '" + name +
                              "' " + widget->objectName();
        if (!(widget->focusPolicy() & Qt::TabFocus)) {
            failed << label + " takes no keyboard focus";
        }
        if (name.trimmed().isEmpty()) {
            failed << label + " has no accessible name";
        }
    }
    return failed;
}

// Every tab of every tab widget in turn, then the window itself.
QStringList failuresOnEveryTab(QWidget* window) {
    QStringList failed;
    for (auto* tabs : window->findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            failed << failures(window);
        }
    }
    if (window->findChildren<QTabWidget*>().isEmpty()) {
        failed << failures(window);
    }
    failed.removeDuplicates();
    return failed;
}

class KeyboardAccessTest : public ::testing::TestWithParam<MenuPanelReleaseDestination> {};

TEST_P(KeyboardAccessTest, EveryControlIsReachableAndNamed) {
    ShellHarness h;
    auto event = makeEvent();
    h.record(event);
    DeliveryAttempt failed;
    failed.eventID = event.id;
    failed.status = DeliveryAttemptStatus::failed;
    h.deliveries.set(event.id, {failed});
    h.shell->open(GetParam());
    QWidget* window = h.shell->window(GetParam());
    ASSERT_NE(window, nullptr);
    settle(300);  // the window's first data arrives
    EXPECT_EQ(failuresOnEveryTab(window), QStringList{});
}

INSTANTIATE_TEST_SUITE_P(Windows, KeyboardAccessTest,
                         ::testing::Values(MenuPanelReleaseDestination::timeline,
                                           MenuPanelReleaseDestination::evidence,
                                           MenuPanelReleaseDestination::settings,
                                           MenuPanelReleaseDestination::gettingStarted,
                                           MenuPanelReleaseDestination::about));

TEST(KeyboardAccessPrivacyTest, PrivacyPolicyIsNamedAndScrollsByKeyboard) {
    ShellHarness h;
    h.shell->openPrivacyPolicy();
    EXPECT_EQ(failures(h.shell->privacyPolicyWindow()), QStringList{});
}

}  // namespace
}  // namespace veyrune::test
