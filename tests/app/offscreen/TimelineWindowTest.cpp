#include "app/shell/TimelineWindow.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "ShellHarness.h"
#include "seal/Sealer.h"
#include "support/EventFactory.h"

namespace veyrune::test {
namespace {

TimelineWindow& openTimeline(ShellHarness& h) {
    h.shell->open(MenuPanelReleaseDestination::timeline);
    auto* window =
        static_cast<TimelineWindow*>(h.shell->window(MenuPanelReleaseDestination::timeline));
    EXPECT_TRUE(waitUntil([&] { return window->state() && window->state()->chainStatus; }));
    return *window;
}

TEST(TimelineWindowTest, EmptyState) {
    ShellHarness h;
    auto& window = openTimeline(h);
    QStringList shown;
    for (auto* label : window.currentEventsPage()->findChildren<QLabel*>()) {
        shown << label->text();
    }
    EXPECT_TRUE(shown.contains("No Events Yet"));
    auto* badge = window.findChild<QToolButton*>("chainBadge");
    EXPECT_EQ(badge->text(), "No events yet");
    EXPECT_EQ(badge->accessibleName(), "No events yet");
}

TEST(TimelineWindowTest, ASealedLogAddsTheSealLineAndKeepsTheBadgesText) {
    {
        ShellHarness unsealed;
        unsealed.record(makeEvent());
        auto& window = openTimeline(unsealed);
        EXPECT_FALSE(window.findChild<QLabel*>("sealStatus")->isVisibleTo(&window));
    }

    ShellHarness sealed;
    Sealer sealer(sealed.clock, PosixFileSystem::shared(), sealed.events,
                  sealed.folder.path() / "security-events.sealkey",
                  sealed.folder.path() / "security-events.seals");
    sealer.begin();
    sealed.record(makeEvent());
    sealed.clock.advance(900);
    sealer.tick();
    auto& window = openTimeline(sealed);
    auto* line = window.findChild<QLabel*>("sealStatus");
    ASSERT_TRUE(waitUntil([&] { return window.state()->sealText.has_value(); }));
    EXPECT_TRUE(line->isVisibleTo(&window));
    EXPECT_TRUE(line->text().startsWith("Sealed through "));
    auto* badge = window.findChild<QToolButton*>("chainBadge");
    EXPECT_EQ(badge->text(), "Chain intact");
}

TEST(TimelineWindowTest, RowsAndRetryOfAFailedDelivery) {
    ShellHarness h;
    auto event = makeEvent();
    h.record(makeEvent(SecurityEventKind::screenUnlocked, event.occurredAt - std::chrono::hours(1),
                       "Screen unlocked"));
    h.record(event);
    h.deliveries.set(event.id, {{Uuid::random(), event.id, DeliveryChannelKind::webhook,
                                 DeliveryAttemptStatus::failed, 1, std::nullopt, std::nullopt}});
    auto& window = openTimeline(h);
    ASSERT_EQ(window.state()->rows->size(), 2u);
    EXPECT_EQ((*window.state()->rows)[0].deliveries[0].title, "Webhook alert failed");
    auto* list = window.findChild<QListView*>("events");
    EXPECT_EQ(window.currentEventsPage(), list);
    auto* retry = window.findChild<QPushButton*>("retry");
    EXPECT_TRUE(retry->isHidden());
    list->setCurrentIndex(list->model()->index(0, 0));
    EXPECT_FALSE(retry->isHidden());
    EXPECT_EQ(retry->text(), "Retry Telegram Alert");
    retry->click();
    EXPECT_TRUE(waitUntil([&] { return h.deliveries.retried().size() == 1; }));
    EXPECT_EQ(h.deliveries.retried()[0], event.id);
}

TEST(TimelineWindowTest, SelectingAnEventShowsTheEventsTabAndTheEvent) {
    ShellHarness h;
    for (int i = 0; i < 30; ++i) {
        h.record(makeEvent(SecurityEventKind::screenLocked,
                           referenceDate() + std::chrono::hours(24 * 9100 + i)));
    }
    auto target =
        makeEvent(SecurityEventKind::didWake, referenceDate() + std::chrono::hours(1), "Old wake");
    h.record(target);
    auto& window = openTimeline(h);
    window.findChild<QTabWidget*>()->setCurrentIndex(1);
    h.navigation.setSelectedEventID(target.id);
    auto* list = window.findChild<QListView*>("events");
    EXPECT_TRUE(waitUntil([&] {
        const auto* row =
            list->currentIndex().isValid()
                ? &(*window.state()->rows)[static_cast<std::size_t>(list->currentIndex().row())]
                : nullptr;
        return row && row->id == target.id;
    }));
    EXPECT_EQ(window.findChild<QTabWidget*>()->currentIndex(), 0);
}

TEST(TimelineWindowTest, AFailedExportShowsTheAlertUntilDismissed) {
    ShellHarness h;
    h.record(makeEvent());
    auto& window = openTimeline(h);
    auto state = std::make_shared<TimelineViewState>(*window.state());
    state->exportErrorText = "The folder is not writable.";
    window.apply(state);
    auto* alert = window.findChild<QMessageBox*>("exportFailed");
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->windowTitle(), "Export Failed");
    EXPECT_EQ(alert->text(), "The folder is not writable.");
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons()[0]->text(), "OK");
}

}  // namespace
}  // namespace veyrune::test
