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

TEST(EvidenceEntryTexts, KindPlaceholderAndStatus) {
    EvidenceLibraryEntry linked;
    linked.file = EvidenceFile{"/tmp/a", EvidenceFileKind::cameraPhoto, {}, 0};
    linked.item = EvidenceItem{Uuid::random(), Uuid::random(), EvidenceKind::screenshot, "", {}, 0};
    linked.event = makeEvent(SecurityEventKind::didWake, referenceDate(), "Woke from sleep");
    linked.status = EvidenceLibraryEntryStatus::linked;
    // The file on disk decides the kind over the item that names it.
    EXPECT_EQ(
        EvidenceEntryTexts::make(linked),
        (EvidenceEntryTexts{"Camera Snapshot", "camera.viewfinder", "Woke from sleep", "link"}));

    EvidenceLibraryEntry orphan;
    orphan.status = EvidenceLibraryEntryStatus::eventUnavailable;
    EXPECT_EQ(EvidenceEntryTexts::make(orphan),
              (EvidenceEntryTexts{"Evidence", "exclamationmark.triangle", "Event unavailable",
                                  "exclamationmark.triangle"}));
}

EvidenceWindow& openEvidence(ShellHarness& h) {
    h.shell->open(MenuPanelReleaseDestination::evidence);
    return *static_cast<EvidenceWindow*>(h.shell->window(MenuPanelReleaseDestination::evidence));
}

TEST(EvidenceWindowTest, EmptyLibraryShowsTheEmptyState) {
    ShellHarness h;
    auto& window = openEvidence(h);
    ASSERT_TRUE(waitUntil([&] {
        QStringList shown;
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
