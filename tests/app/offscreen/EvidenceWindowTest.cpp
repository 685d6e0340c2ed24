#include "app/shell/EvidenceWindow.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QListWidget>
#include <QMenu>

#include "ShellHarness.h"
#include "app/shell/EvidenceEntryTexts.h"
#include "support/EventFactory.h"

namespace veyrune::test {
namespace {

struct TextsCase {
    std::optional<EvidenceFileKind> fileKind;
    std::optional<EvidenceKind> itemKind;
    EvidenceLibraryEntryStatus status;
    bool withEvent;
    EvidenceEntryTexts expected;
};

class EvidenceEntryTextsTest : public ::testing::TestWithParam<TextsCase> {};

TEST_P(EvidenceEntryTextsTest, KindPlaceholderAndStatus) {
    const auto& c = GetParam();
    EvidenceLibraryEntry entry;
    if (c.fileKind) {
        entry.file = EvidenceFile{"/tmp/a", *c.fileKind, {}, 0};
    }
    if (c.itemKind) {
        entry.item = EvidenceItem{Uuid::random(), Uuid::random(), *c.itemKind, "", {}, 0};
    }
    if (c.withEvent) {
        entry.event = makeEvent(SecurityEventKind::didWake, referenceDate(), "Woke from sleep");
    }
    entry.status = c.status;
    EXPECT_EQ(EvidenceEntryTexts::make(entry), c.expected);
}

using S = EvidenceLibraryEntryStatus;
INSTANTIATE_TEST_SUITE_P(Entries, EvidenceEntryTextsTest,
                         ::testing::Values(TextsCase{EvidenceFileKind::cameraPhoto,
                                                     EvidenceKind::screenshot,
                                                     S::linked,
                                                     true,
                                                     {"Camera Snapshot", "camera.viewfinder",
                                                      "Woke from sleep", "link"}},
                                           TextsCase{std::nullopt,
                                                     EvidenceKind::screenshot,
                                                     S::fileUnavailable,
                                                     false,
                                                     {"Screenshot", "display", "File unavailable",
                                                      "exclamationmark.triangle"}},
                                           TextsCase{
                                               std::nullopt,
                                               std::nullopt,
                                               S::eventUnavailable,
                                               false,
                                               {"Evidence", "exclamationmark.triangle",
                                                "Event unavailable", "exclamationmark.triangle"}}));

EvidenceWindow& openEvidence(ShellHarness& h) {
    h.shell->open(MenuPanelReleaseDestination::evidence);
    return *static_cast<EvidenceWindow*>(h.shell->window(MenuPanelReleaseDestination::evidence));
}

TEST(EvidenceWindowTest, EmptyLibraryShowsTheEmptyState) {
    ShellHarness h;
    auto& window = openEvidence(h);
    QStringList shown;
    ASSERT_TRUE(waitUntil([&] {
        shown.clear();
        for (auto* label : window.currentPage()->findChildren<QLabel*>()) {
            shown << label->text();
        }
        return shown.contains("No Evidence Yet");
    }));
}

TEST(EvidenceWindowTest, ShowEventSelectsTheLinkedEvent) {
    ShellHarness h;
    auto event = makeEvent();
    h.record(event);
    const auto folder = h.folder.path() / "Evidence" / "2026-03-01";
    std::filesystem::create_directories(folder);
    const auto file = folder / "screenshot-1.png";
    QImage(8, 8, QImage::Format_RGB32).save(QString::fromStdString(file.string()));
    h.evidenceItems.append(EvidenceItem{Uuid::random(), event.id, EvidenceKind::screenshot,
                                        "file://" + file.string(), h.clock.now(), 10});
    auto& window = openEvidence(h);
    ASSERT_TRUE(waitUntil([&] { return window.entries().size() == 1; }));
    auto* list = window.findChild<QListWidget*>("entries");
    EXPECT_TRUE(list->item(0)->text().startsWith("Screenshot\n"));
    list->setCurrentRow(0);
    emit window.actionsMenu()->aboutToShow();
    QStringList titles;
    QAction* show = nullptr;
    for (auto* action : window.actionsMenu()->actions()) {
        titles << action->text();
        if (action->objectName() == "showEvent")
            show = action;
    }
    EXPECT_EQ(titles, (QStringList{"Open", "Reveal in File Manager", "Show Event"}));
    ASSERT_NE(show, nullptr);
    show->trigger();
    EXPECT_EQ(h.navigation.selectedEventID(), event.id);
    EXPECT_NE(h.shell->window(MenuPanelReleaseDestination::timeline), nullptr);
}

}  // namespace
}  // namespace veyrune::test
