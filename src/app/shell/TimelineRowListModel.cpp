#include "app/shell/TimelineRowListModel.h"

namespace veyrune {

void TimelineRowListModel::setRows(std::shared_ptr<const std::vector<EventTimelineRowModel>> rows) {
    if (rows == rows_) {
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

const EventTimelineRowModel* TimelineRowListModel::row(int index) const {
    if (!rows_ || index < 0 || index >= static_cast<int>(rows_->size())) {
        return nullptr;
    }
    return &(*rows_)[static_cast<std::size_t>(index)];
}

int TimelineRowListModel::indexOf(const Uuid& id) const {
    if (!rows_) {
        return -1;
    }
    for (std::size_t i = 0; i < rows_->size(); ++i) {
        if ((*rows_)[i].id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TimelineRowListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !rows_ ? 0 : static_cast<int>(rows_->size());
}

QVariant TimelineRowListModel::data(const QModelIndex& index, int role) const {
    const EventTimelineRowModel* model = row(index.row());
    if (!model) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(model->title);
        case Qt::AccessibleTextRole:
        case Qt::ToolTipRole:
            return QString::fromStdString(model->accessibilitySummary);
        case rowRole:
            return QVariant::fromValue(static_cast<const void*>(model));
        default:
            return {};
    }
}

}  // namespace veyrune
