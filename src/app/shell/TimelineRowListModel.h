#pragma once

#include <memory>
#include <vector>

#include <QAbstractListModel>

#include "review/EventTimelineRowModel.h"

namespace veyrune {

// The timeline's rows as a Qt list model over one shared, immutable list, so
// that a new refresh swaps a pointer instead of copying rows on the main thread.
class TimelineRowListModel : public QAbstractListModel {
  public:
    // Qt::UserRole + 1: the row model itself, as a pointer valid until the next `setRows`.
    static constexpr int rowRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    // Resets the view only when the list is a different one.
    void setRows(std::shared_ptr<const std::vector<EventTimelineRowModel>> rows);
    const EventTimelineRowModel* row(int index) const;
    // The index of the row of `id`, or -1.
    int indexOf(const Uuid& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    std::shared_ptr<const std::vector<EventTimelineRowModel>> rows_;
};

}  // namespace veyrune
