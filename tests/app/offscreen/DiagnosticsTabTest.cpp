#include <gtest/gtest.h>
#include <QTreeWidget>

#include "ShellHarness.h"
#include "app/shell/TimelineWindow.h"

namespace veyrune::test {
namespace {

// The screenshots row shows its fixed texts; how screenshots are taken and
// what to do after a refusal are in its tooltip.
TEST(DiagnosticsTabTest, ScreenshotsRowKeepsItsTextsAndExplainsTheMethodInItsTooltip) {
    ShellHarness h;
    h.diagnostics.captureScreenshots = true;
    h.diagnostics.screenCaptureAccess = ScreenCaptureAccess::refusedByUser;
    h.diagnostics.screenCaptureMethod = ScreenCaptureMethod::desktopPortal;
    h.shell->open(MenuPanelReleaseDestination::timeline);
    auto* window = h.shell->window(MenuPanelReleaseDestination::timeline);
    auto* list = window->findChild<QTreeWidget*>("diagnostics");
    ASSERT_TRUE(waitUntil([&] { return list->topLevelItemCount() == 8; }));

    auto* row = list->topLevelItem(1);
    EXPECT_EQ(row->text(0), "Screenshots");
    EXPECT_EQ(row->text(1), "Screen Recording permission is not granted");
    for (int column = 0; column < 3; ++column) {
        EXPECT_TRUE(row->toolTip(column).startsWith(
            "Screenshots are taken via the desktop portal. The desktop refused the last "
            "screenshot;"))
            << row->toolTip(column).toStdString();
    }
    // Rows without a note carry no tooltip.
    EXPECT_TRUE(list->topLevelItem(0)->toolTip(1).isEmpty());
}

}  // namespace
}  // namespace veyrune::test
