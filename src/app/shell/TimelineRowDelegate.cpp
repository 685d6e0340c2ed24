#include "app/shell/TimelineRowDelegate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include "app/shell/ShellTexts.h"
#include "app/shell/SymbolIcon.h"
#include "app/shell/TimelineRowListModel.h"

namespace veyrune {

namespace {

constexpr int kMargin = 8;
constexpr int kIcon = 14;

const EventTimelineRowModel* rowOf(const QModelIndex& index) {
    return static_cast<const EventTimelineRowModel*>(
        index.data(TimelineRowListModel::rowRole).value<const void*>());
}

int lineHeight(const QStyleOptionViewItem& option) {
    return option.fontMetrics.height() + 4;
}

// Draws an icon and a text from `x` on one line; gives the x after them.
int drawIconText(QPainter* painter, int x, int y, int height, const QIcon& icon,
                 const QString& text, const QColor& color) {
    if (!icon.isNull()) {
        icon.paint(painter, QRect(x, y + (height - kIcon) / 2, kIcon, kIcon));
        x += kIcon + 4;
    }
    painter->setPen(color);
    const int width = painter->fontMetrics().horizontalAdvance(text);
    painter->drawText(QRect(x, y, width + 1, height), Qt::AlignVCenter | Qt::AlignLeft, text);
    return x + width + 12;
}

}  // namespace

TimelineRowDelegate::TimelineRowDelegate(std::function<void(const Uuid&)> onRetry, QObject* parent)
    : QStyledItemDelegate(parent), onRetry_(std::move(onRetry)) {}

bool TimelineRowDelegate::canRetry(const EventTimelineRowModel& row) {
    for (const auto& delivery : row.deliveries) {
        if (delivery.canRetry) {
            return true;
        }
    }
    return false;
}

QSize TimelineRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {400, lineHeight(option) * 4 + 2 * kMargin};
}

QRect TimelineRowDelegate::retryRect(const QStyleOptionViewItem& option) {
    const int height = lineHeight(option);
    const int width =
        option.fontMetrics.horizontalAdvance(QString::fromUtf8(ShellTexts::retryTelegramAlert)) +
        20;
    return {option.rect.right() - kMargin - width, option.rect.top() + kMargin + 3 * height, width,
            height};
}

void TimelineRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const EventTimelineRowModel* row = rowOf(index);
    QStyleOptionViewItem base = option;
    initStyleOption(&base, index);
    base.text.clear();
    QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &base, painter, base.widget);
    if (!row) {
        return;
    }
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor muted = selected ? text : option.palette.color(QPalette::PlaceholderText);
    const int height = lineHeight(option);
    const int left = option.rect.left() + kMargin;
    int y = option.rect.top() + kMargin;

    QFont bold = option.font;
    bold.setBold(true);
    painter->setFont(bold);
    drawIconText(painter, left, y, height, {}, QString::fromStdString(row->title), text);
    painter->setFont(option.font);
    painter->setPen(muted);
    painter->drawText(QRect(left, y, option.rect.width() - 2 * kMargin, height),
                      Qt::AlignVCenter | Qt::AlignRight,
                      QString::fromStdString(row->timestampText));
    y += height;
    drawIconText(painter, left, y, height, {}, QString::fromStdString(row->summary), text);
    y += height;
    int x = left;
    if (row->evidenceText) {
        x = drawIconText(painter, x, y, height, symbolIcon("paperclip"),
                         QString::fromStdString(*row->evidenceText), muted);
    }
    if (row->contextText) {
        drawIconText(painter, x, y, height, symbolIcon("desktopcomputer"),
                     QString::fromStdString(*row->contextText), muted);
    }
    y += height;
    x = left;
    for (const auto& delivery : row->deliveries) {
        x = drawIconText(painter, x, y, height, symbolIcon(delivery.systemImage),
                         QString::fromStdString(delivery.title),
                         selected ? text : tintColor(delivery.tintIntent));
    }
    if (canRetry(*row)) {
        QStyleOptionButton button;
        button.rect = retryRect(option);
        button.text = QString::fromUtf8(ShellTexts::retryTelegramAlert);
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        button.palette = option.palette;
        QApplication::style()->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
    }
    painter->restore();
}

bool TimelineRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                      const QStyleOptionViewItem& option,
                                      const QModelIndex& index) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const EventTimelineRowModel* row = rowOf(index);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (row && canRetry(*row) && retryRect(option).contains(mouse->position().toPoint())) {
            onRetry_(row->id);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

}  // namespace veyrune
