#pragma once

#include <functional>
#include <map>
#include <vector>

#include <QWidget>

#include "app/shell/ThumbnailLoader.h"
#include "evidence/EvidenceLibrary.h"
#include "model/TimelineNavigationState.h"
#include "record/EvidenceItemStore.h"
#include "record/SecurityEventStore.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QStackedWidget;
class QToolButton;

namespace veyrune {

class WorkerThread;

// "Evidence": the evidence library's entries with thumbnails, "Reveal Folder",
// the empty and unavailable states, and each entry's actions ("Open",
// "Reveal in File Manager", "Show Event"). Entries are read on the worker
// thread when the window opens; thumbnails load on the task pool. Main thread;
// every collaborator must outlive the window.
class EvidenceWindow : public QWidget {
  public:
    struct Collaborators {
        EvidenceLibrary& library;
        const EvidenceItemStore& items;
        const SecurityEventStore& events;
        TimelineNavigationState& navigation;
        WorkerThread& thread;
        TaskPool& pool;
        // Opens a file or folder URL with the desktop (QDesktopServices by default).
        std::function<void(const QUrl&)> openURL;
    };

    explicit EvidenceWindow(Collaborators collaborators, QWidget* parent = nullptr);

    void reload();
    // Draws a loaded list, or the failure's message.
    void apply(std::vector<EvidenceLibraryEntry> entries, std::optional<std::string> error);

    const std::vector<EvidenceLibraryEntry>& entries() const { return entries_; }
    QWidget* currentPage() const;
    QMenu* actionsMenu() const { return actionsMenu_; }

  private:
    void fillActions();
    void thumbnailLoaded(const std::filesystem::path& file, const QImage& image);
    const EvidenceLibraryEntry* currentEntry() const;
    void revealInFileManager(const std::filesystem::path& file);

    Collaborators c_;
    ThumbnailLoader thumbnails_;
    std::vector<EvidenceLibraryEntry> entries_;
    std::multimap<std::filesystem::path, QListWidgetItem*> itemsByFile_;
    QStackedWidget* pages_;
    QListWidget* list_;
    QWidget* emptyPage_;
    QWidget* failurePage_;
    QLabel* failureText_;
    QToolButton* actions_;
    QMenu* actionsMenu_;
};

}  // namespace veyrune
