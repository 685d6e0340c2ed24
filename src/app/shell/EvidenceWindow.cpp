#include "app/shell/EvidenceWindow.h"

#include <unordered_set>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/shell/EvidenceEntryTexts.h"
#include "app/shell/ShellTexts.h"
#include "app/shell/StatePage.h"
#include "app/shell/SymbolIcon.h"
#include "app/shell/WorkerThread.h"

namespace veyrune {

namespace {

constexpr QSize kThumbnail{96, 64};

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QUrl fileURL(const std::filesystem::path& path) {
    return QUrl::fromLocalFile(qs(path.string()));
}

QToolButton* toolButton(const char* text, const char* symbol, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(QString::fromUtf8(text));
    button->setAccessibleName(button->text());
    button->setIcon(symbolIcon(symbol));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

struct Loaded {
    std::vector<EvidenceLibraryEntry> entries;
    std::optional<std::string> error;
};

// The files, every index item, the events the items name, then the join.
Loaded loadEntries(const EvidenceLibrary& library, const EvidenceItemStore& items,
                   const SecurityEventStore& events) {
    try {
        auto files = library.files();
        auto allItems = items.allItems();
        std::unordered_set<Uuid> ids;
        for (const auto& item : allItems) {
            ids.insert(item.eventID);
        }
        auto named = ids.empty() ? std::vector<SecurityEvent>{} : events.events(ids);
        return {EvidenceLibrary::entries(files, allItems, named), std::nullopt};
    } catch (const std::exception& error) {
        return {{}, std::string(error.what())};
    }
}

}  // namespace

EvidenceWindow::EvidenceWindow(Collaborators collaborators, QWidget* parent)
    : QWidget(parent),
      c_(std::move(collaborators)),
      thumbnails_(c_.pool, kThumbnail, this,
                  [this](const std::filesystem::path& file, const QImage& image) {
                      thumbnailLoaded(file, image);
                  }) {
    if (!c_.openURL) {
        c_.openURL = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    }
    setObjectName(QStringLiteral("evidence"));
    setWindowTitle(QString::fromUtf8(ShellTexts::evidenceTitle));
    resize(760, 520);
    auto* layout = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    auto* texts = new QVBoxLayout;
    texts->addWidget(makeTitleLabel(QString::fromUtf8(ShellTexts::evidenceTitle), 4, this));
    texts->addWidget(new QLabel(QString::fromUtf8(ShellTexts::evidenceSubtitle), this));
    header->addLayout(texts);
    header->addStretch();
    auto* reveal = toolButton(ShellTexts::revealFolder, "folder", this);
    reveal->setObjectName(QStringLiteral("revealFolder"));
    connect(reveal, &QToolButton::clicked, this,
            [this] { c_.openURL(fileURL(c_.library.rootURL())); });
    header->addWidget(reveal);
    layout->addLayout(header);

    pages_ = new QStackedWidget(this);
    list_ = new QListWidget(pages_);
    list_->setObjectName(QStringLiteral("entries"));
    list_->setAccessibleName(QString::fromUtf8(ShellTexts::evidenceTitle));
    list_->setIconSize(kThumbnail);
    list_->setUniformItemSizes(true);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    pages_->addWidget(list_);
    QLabel* emptyText = nullptr;
    emptyPage_ = makeStatePage("tray", ShellTexts::noEvidenceYet, emptyText, pages_);
    emptyText->setText(QString::fromUtf8(ShellTexts::noEvidenceMessage));
    pages_->addWidget(emptyPage_);
    failurePage_ = makeStatePage("exclamationmark.triangle", ShellTexts::evidenceUnavailable,
                                 failureText_, pages_);
    pages_->addWidget(failurePage_);
    layout->addWidget(pages_, 1);

    actions_ = toolButton(ShellTexts::evidenceActions, "ellipsis.circle", this);
    actions_->setObjectName(QStringLiteral("evidenceActions"));
    actions_->setPopupMode(QToolButton::InstantPopup);
    actionsMenu_ = new QMenu(actions_);
    actions_->setMenu(actionsMenu_);
    connect(actionsMenu_, &QMenu::aboutToShow, this, &EvidenceWindow::fillActions);
    connect(list_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        fillActions();
        actionsMenu_->popup(list_->viewport()->mapToGlobal(at));
    });
    connect(list_, &QListWidget::currentRowChanged, this,
            [this] { actions_->setEnabled(currentEntry() != nullptr); });
    layout->addWidget(actions_, 0, Qt::AlignRight);
    apply({}, std::nullopt);
    reload();
}

void EvidenceWindow::reload() {
    QPointer<EvidenceWindow> self = this;
    const EvidenceLibrary* library = &c_.library;
    const EvidenceItemStore* items = &c_.items;
    const SecurityEventStore* events = &c_.events;
    c_.thread.post([self, library, items, events] {
        auto loaded = std::make_shared<Loaded>(loadEntries(*library, *items, *events));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, loaded] {
                if (self) {
                    self->apply(std::move(loaded->entries), std::move(loaded->error));
                }
            },
            Qt::QueuedConnection);
    });
}

void EvidenceWindow::apply(std::vector<EvidenceLibraryEntry> entries,
                           std::optional<std::string> error) {
    entries_ = std::move(entries);
    list_->clear();
    itemsByFile_.clear();
    if (error) {
        failureText_->setText(qs(*error));
        pages_->setCurrentWidget(failurePage_);
    } else {
        pages_->setCurrentWidget(entries_.empty() ? emptyPage_ : list_);
    }
    for (const auto& entry : entries_) {
        const auto texts = EvidenceEntryTexts::make(entry);
        auto* item =
            new QListWidgetItem(symbolIcon(texts.placeholderSymbol),
                                qs(texts.kindTitle) + QLatin1Char('\n') + qs(texts.status), list_);
        item->setData(Qt::AccessibleTextRole, qs(texts.kindTitle + ", " + texts.status));
        if (auto url = entry.url(); url && entry.file) {
            itemsByFile_.emplace(*url, item);
            thumbnails_.request(*url);
        }
    }
    actions_->setEnabled(false);
}

void EvidenceWindow::thumbnailLoaded(const std::filesystem::path& file, const QImage& image) {
    if (image.isNull()) {
        return;
    }
    const QIcon icon(QPixmap::fromImage(image));
    auto [first, last] = itemsByFile_.equal_range(file);
    for (auto it = first; it != last; ++it) {
        it->second->setIcon(icon);
    }
}

QWidget* EvidenceWindow::currentPage() const {
    return pages_->currentWidget();
}

const EvidenceLibraryEntry* EvidenceWindow::currentEntry() const {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(entries_.size())) {
        return nullptr;
    }
    return &entries_[static_cast<std::size_t>(row)];
}

void EvidenceWindow::fillActions() {
    actionsMenu_->clear();
    const EvidenceLibraryEntry* entry = currentEntry();
    if (!entry) {
        return;
    }
    const auto url = entry->url();
    QAction* open = actionsMenu_->addAction(QString::fromUtf8(ShellTexts::open));
    open->setObjectName(QStringLiteral("open"));
    open->setEnabled(url.has_value());
    QAction* reveal = actionsMenu_->addAction(QString::fromUtf8(ShellTexts::revealInFileManager));
    reveal->setObjectName(QStringLiteral("reveal"));
    reveal->setEnabled(url.has_value());
    if (url) {
        connect(open, &QAction::triggered, this,
                [this, file = *url] { c_.openURL(fileURL(file)); });
        connect(reveal, &QAction::triggered, this,
                [this, file = *url] { revealInFileManager(file); });
    }
    if (entry->item) {
        QAction* show = actionsMenu_->addAction(QString::fromUtf8(ShellTexts::showEvent));
        show->setObjectName(QStringLiteral("showEvent"));
        connect(show, &QAction::triggered, this,
                [this, id = entry->item->eventID] { c_.navigation.setSelectedEventID(id); });
    }
}

void EvidenceWindow::revealInFileManager(const std::filesystem::path& file) {
    // The file manager's own interface selects the file; without one the
    // folder opens instead.
    auto call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                               QStringLiteral("/org/freedesktop/FileManager1"),
                                               QStringLiteral("org.freedesktop.FileManager1"),
                                               QStringLiteral("ShowItems"));
    call << QStringList{fileURL(file).toString()} << QString();
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, folder = file.parent_path()] {
                if (watcher->isError()) {
                    c_.openURL(fileURL(folder));
                }
                watcher->deleteLater();
            });
}

}  // namespace veyrune
