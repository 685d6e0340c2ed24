#include "app/shell/TimelineWindow.h"

#include <utility>

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/shell/FilterBarWidget.h"
#include "app/shell/ShellTexts.h"
#include "app/shell/StatePage.h"
#include "app/shell/SymbolIcon.h"
#include "app/shell/TimelineRowDelegate.h"
#include "app/shell/TimelineRowListModel.h"
#include "review/ExportFormat.h"

namespace veyrune {

namespace {

constexpr int kRefreshMilliseconds = 2000;

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const char* stateLabel(DiagnosticState state) {
    switch (state) {
        case DiagnosticState::ready:
            return ShellTexts::stateReady;
        case DiagnosticState::attention:
            return ShellTexts::stateAttention;
        case DiagnosticState::inactive:
            break;
    }
    return ShellTexts::stateOff;
}

const char* stateSymbol(DiagnosticState state) {
    switch (state) {
        case DiagnosticState::ready:
            return "checkmark.circle.fill";
        case DiagnosticState::attention:
            return "exclamationmark.triangle.fill";
        case DiagnosticState::inactive:
            break;
    }
    return "circle";
}

}  // namespace

TimelineWindow::TimelineWindow(WorkerThread& thread,
                               TimelineController::Collaborators collaborators,
                               const std::optional<Uuid>& selectedEventID, QWidget* parent)
    : QWidget(parent), clock_(collaborators.clock) {
    setObjectName(QStringLiteral("log"));
    setWindowTitle(QString::fromUtf8(ShellTexts::timelineTitle));
    resize(760, 520);
    setMinimumSize(720, 480);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeader());
    tabs_ = new QTabWidget(this);
    tabs_->addTab(makeEventsTab(), symbolIcon(tabSymbol(TimelineTab::events)),
                  qs(tabLabel(TimelineTab::events)));
    tabs_->addTab(makeDiagnosticsTab(), symbolIcon(tabSymbol(TimelineTab::diagnostics)),
                  qs(tabLabel(TimelineTab::diagnostics)));
    tabs_->setAccessibleName(QString::fromUtf8(ShellTexts::timelineTitle));
    tabs_->tabBar()->setAccessibleName(tabs_->accessibleName());
    layout->addWidget(tabs_, 1);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        worker_->selectTab(index == 0 ? TimelineTab::events : TimelineTab::diagnostics);
    });

    worker_ = std::make_unique<TimelineWorker>(
        thread, std::move(collaborators), this,
        [this](std::shared_ptr<const TimelineViewState> state) { apply(std::move(state)); });
    timer_.setInterval(kRefreshMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] { worker_->timerFired(); });
    timer_.start();
    if (selectedEventID) {
        worker_->setSelectedEventID(selectedEventID);
    } else {
        worker_->refresh();
    }
}

TimelineWindow::~TimelineWindow() = default;

QWidget* TimelineWindow::makeHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    auto* texts = new QVBoxLayout;
    texts->addWidget(makeTitleLabel(QString::fromUtf8(ShellTexts::timelineTitle), 4, header));
    texts->addWidget(new QLabel(QString::fromUtf8(ShellTexts::timelineSubtitle), header));
    row->addLayout(texts);
    badge_ = new QToolButton(header);
    badge_->setObjectName(QStringLiteral("chainBadge"));
    badge_->setAutoRaise(true);
    badge_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    badge_->setFocusPolicy(Qt::StrongFocus);
    badge_->setVisible(false);
    row->addWidget(badge_);
    sealLine_ = new QLabel(header);
    sealLine_->setObjectName(QStringLiteral("sealStatus"));
    sealLine_->setVisible(false);
    row->addWidget(sealLine_);
    row->addStretch();

    auto* refresh = new QToolButton(header);
    refresh->setObjectName(QStringLiteral("refresh"));
    refresh->setText(QString::fromUtf8(ShellTexts::refresh));
    refresh->setIcon(symbolIcon("arrow.clockwise"));
    refresh->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    refresh->setAccessibleName(refresh->text());
    refresh->setFocusPolicy(Qt::StrongFocus);
    refresh->setShortcut(QKeySequence::Refresh);
    connect(refresh, &QToolButton::clicked, this, &TimelineWindow::refresh);
    row->addWidget(refresh);

    auto* exporting = new QToolButton(header);
    exporting->setObjectName(QStringLiteral("export"));
    exporting->setText(QString::fromUtf8(ShellTexts::exportMenu));
    exporting->setIcon(symbolIcon("square.and.arrow.up"));
    exporting->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    exporting->setPopupMode(QToolButton::InstantPopup);
    exporting->setAccessibleName(exporting->text());
    exporting->setFocusPolicy(Qt::StrongFocus);
    auto* menu = new QMenu(exporting);
    for (ExportFormat format : allExportFormats) {
        QAction* action = menu->addAction(qs(menuTitle(format)));
        action->setObjectName(qs(rawValue(format)));
        connect(action, &QAction::triggered, this, [this, format] {
            worker_->beginExport(
                format, [this](const ExportRequest& request) { chooseExportDestination(request); });
        });
    }
    exporting->setMenu(menu);
    row->addWidget(exporting);
    return header;
}

QWidget* TimelineWindow::makeEventsTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    filterBar_ = new FilterBarWidget(
        clock_, [this](const TimelineFilter& filter) { worker_->setFilter(filter); }, tab);
    layout->addWidget(filterBar_);

    eventsPages_ = new QStackedWidget(tab);
    list_ = new QListView(eventsPages_);
    list_->setObjectName(QStringLiteral("events"));
    list_->setAccessibleName(QString::fromUtf8(ShellTexts::eventList));
    list_->setUniformItemSizes(true);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    rowsModel_ = new TimelineRowListModel(list_);
    list_->setModel(rowsModel_);
    list_->setItemDelegate(
        new TimelineRowDelegate([this](const Uuid& id) { worker_->retryDelivery(id); }, list_));
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TimelineWindow::currentRowChanged);
    eventsPages_->addWidget(list_);
    unavailablePage_ = makeStatePage("exclamationmark.triangle", ShellTexts::timelineUnavailable,
                                     unavailableText_, eventsPages_);
    eventsPages_->addWidget(unavailablePage_);
    QLabel* emptyText = nullptr;
    emptyPage_ =
        makeStatePage("shield.lefthalf.filled", ShellTexts::noEventsYet, emptyText, eventsPages_);
    emptyText->setText(QString::fromUtf8(ShellTexts::noEventsMessage));
    eventsPages_->addWidget(emptyPage_);
    layout->addWidget(eventsPages_, 1);

    // The keyboard's way to the selected row's retry button.
    retry_ = new QPushButton(QString::fromUtf8(ShellTexts::retryTelegramAlert), tab);
    retry_->setObjectName(QStringLiteral("retry"));
    retry_->setAccessibleName(retry_->text());
    retry_->setVisible(false);
    connect(retry_, &QPushButton::clicked, this, &TimelineWindow::retryCurrent);
    layout->addWidget(retry_, 0, Qt::AlignRight);
    return tab;
}

QWidget* TimelineWindow::makeDiagnosticsTab() {
    diagnostics_ = new QTreeWidget(this);
    diagnostics_->setObjectName(QStringLiteral("diagnostics"));
    diagnostics_->setAccessibleName(QString::fromUtf8(ShellTexts::diagnosticsList));
    diagnostics_->setColumnCount(3);
    diagnostics_->setHeaderHidden(true);
    diagnostics_->setRootIsDecorated(false);
    diagnostics_->setWordWrap(true);
    diagnostics_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    diagnostics_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    diagnostics_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    // The details take the room; the state column keeps its own width.
    diagnostics_->header()->setStretchLastSection(false);
    return diagnostics_;
}

void TimelineWindow::selectEvent(const std::optional<Uuid>& eventID) {
    tabs_->setCurrentIndex(0);
    worker_->setSelectedEventID(eventID);
}

void TimelineWindow::refresh() {
    worker_->refresh();
}

QWidget* TimelineWindow::currentEventsPage() const {
    return eventsPages_->currentWidget();
}

void TimelineWindow::apply(std::shared_ptr<const TimelineViewState> state) {
    const bool newSelection = !state_ || state_->selectedEventID != state->selectedEventID;
    auto previous = std::exchange(state_, std::move(state));
    if (newSelection && state_->selectedTab == TimelineTab::events) {
        tabs_->setCurrentIndex(0);
    }
    applyChainStatus();
    applyRows();
    applyDiagnostics();
    showExportError();
    // The list model has let go of the previous rows; the last reference goes
    // to the worker thread.
    if (previous) {
        worker_->dispose(std::move(previous));
    }
}

void TimelineWindow::applyChainStatus() {
    const auto& sealed = state_->sealText;
    sealLine_->setVisible(sealed.has_value());
    sealLine_->setText(QString::fromStdString(sealed.value_or(std::string())));
    sealLine_->setAccessibleName(sealLine_->text());
    const auto& status = state_->chainStatus;
    badge_->setVisible(status.has_value());
    if (!status) {
        return;
    }
    QPalette palette = badge_->palette();
    palette.setColor(QPalette::ButtonText, tintColor(status->tintIntent));
    badge_->setPalette(palette);
    badge_->setIcon(symbolIcon(status->systemImage));
    badge_->setText(QString::fromStdString(status->title));
    badge_->setToolTip(QString::fromStdString(status->detail.value_or(status->title)));
    badge_->setAccessibleName(QString::fromStdString(chainSummaryText(*status)));
}

void TimelineWindow::applyRows() {
    const int total = state_->total;
    const int showing = state_->rows ? static_cast<int>(state_->rows->size()) : 0;
    filterBar_->setState(state_->filter, showing, total);
    rowsModel_->setRows(state_->rows);
    if (state_->errorText) {
        unavailableText_->setText(QString::fromStdString(*state_->errorText));
        eventsPages_->setCurrentWidget(unavailablePage_);
    } else if (showing == 0) {
        eventsPages_->setCurrentWidget(emptyPage_);
    } else {
        eventsPages_->setCurrentWidget(list_);
    }
    if (state_->selectedEventID && state_->selectedEventID != scrolledTo_) {
        const int row = rowsModel_->indexOf(*state_->selectedEventID);
        if (row >= 0) {
            scrolledTo_ = state_->selectedEventID;
            list_->setCurrentIndex(rowsModel_->index(row));
            list_->scrollTo(rowsModel_->index(row), QAbstractItemView::PositionAtCenter);
        }
    }
    currentRowChanged();
}

void TimelineWindow::applyDiagnostics() {
    const auto& rows = state_->diagnostics.rows;
    const auto& notes = state_->diagnostics.notes;
    auto noteOf = [&notes](const DiagnosticRow& row) {
        auto found = notes.find(row.id);
        return found == notes.end() ? std::string() : found->second;
    };
    auto keyOf = [&noteOf](const DiagnosticRow& row) {
        return QString::fromStdString(row.title + row.detail + std::string(rawValue(row.state)) +
                                      noteOf(row));
    };
    if (diagnostics_->topLevelItemCount() == static_cast<int>(rows.size())) {
        bool same = true;
        for (int i = 0; i < static_cast<int>(rows.size()) && same; ++i) {
            same = diagnostics_->topLevelItem(i)->data(0, Qt::UserRole).toString() ==
                   keyOf(rows[static_cast<std::size_t>(i)]);
        }
        if (same) {
            return;
        }
    }
    diagnostics_->clear();
    for (const auto& row : rows) {
        auto* item = new QTreeWidgetItem(diagnostics_);
        item->setIcon(0, symbolIcon(stateSymbol(row.state)));
        item->setText(0, QString::fromStdString(row.title));
        item->setText(1, QString::fromStdString(row.detail));
        item->setText(2, QString::fromUtf8(stateLabel(row.state)));
        item->setForeground(
            2, tintColor(row.state == DiagnosticState::ready ? DeliveryTimelineTintIntent::ready
                         : row.state == DiagnosticState::attention
                             ? DeliveryTimelineTintIntent::attention
                             : DeliveryTimelineTintIntent::inactive));
        item->setData(0, Qt::UserRole, keyOf(row));
        item->setData(0, Qt::AccessibleTextRole,
                      QString::fromStdString(row.title + ", " + row.detail + ", ") +
                          QString::fromUtf8(stateLabel(row.state)));
        if (const auto note = QString::fromStdString(noteOf(row)); !note.isEmpty()) {
            for (int column = 0; column < 3; ++column) {
                item->setToolTip(column, note);
            }
            item->setData(0, Qt::AccessibleDescriptionRole, note);
        }
    }
}

void TimelineWindow::chooseExportDestination(const ExportRequest& request) {
    const Instant now = clock_.now();
    QFileDialog dialog(this, qs(menuTitle(request.format)));
    dialog.setObjectName(QStringLiteral("exportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setMimeTypeFilters({qs(mediaType(request.format))});
    dialog.selectFile(QString::fromStdString(defaultFileName(request.format, now)));
    if (auto message = saveDialogMessage(request.format)) {
        dialog.setWindowTitle(QString::fromStdString(*message));
    }
    std::optional<std::filesystem::path> destination;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        destination = std::filesystem::path(dialog.selectedFiles().first().toStdString());
    }
    worker_->finishExport(request, destination);
}

void TimelineWindow::showExportError() {
    if (!state_->exportErrorText || showingExportError_) {
        return;
    }
    showingExportError_ = true;
    auto* alert = new QMessageBox(QMessageBox::Warning, QString::fromUtf8(ShellTexts::exportFailed),
                                  QString::fromStdString(*state_->exportErrorText),
                                  QMessageBox::NoButton, this);
    alert->setObjectName(QStringLiteral("exportFailed"));
    alert->addButton(QString::fromUtf8(ShellTexts::ok), QMessageBox::RejectRole);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    connect(alert, &QMessageBox::finished, this, [this] {
        showingExportError_ = false;
        worker_->dismissExportError();
    });
    alert->open();
}

void TimelineWindow::currentRowChanged() {
    const EventTimelineRowModel* row = rowsModel_->row(list_->currentIndex().row());
    retry_->setVisible(row && TimelineRowDelegate::canRetry(*row) &&
                       eventsPages_->currentWidget() == list_);
}

void TimelineWindow::retryCurrent() {
    if (const EventTimelineRowModel* row = rowsModel_->row(list_->currentIndex().row())) {
        worker_->retryDelivery(row->id);
    }
}

}  // namespace veyrune
