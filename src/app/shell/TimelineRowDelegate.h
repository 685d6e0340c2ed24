#pragma once

#include <functional>

#include <QStyledItemDelegate>

#include "review/EventTimelineRowModel.h"

namespace veyrune {

// Draws one timeline row at a fixed height: title and timestamp, summary,
// evidence and context, then the deliveries and, for a row with a failed
// delivery, the "Retry Telegram Alert" button, which calls `onRetry` when clicked.
class TimelineRowDelegate : public QStyledItemDelegate {
  public:
    explicit TimelineRowDelegate(std::function<void(const Uuid&)> onRetry,
                                 QObject* parent = nullptr);

    static bool canRetry(const EventTimelineRowModel& row);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

  private:
    static QRect retryRect(const QStyleOptionViewItem& option);

    std::function<void(const Uuid&)> onRetry_;
};

}  // namespace veyrune
