#pragma once

#include <functional>

#include <QWidget>

#include "base/Clock.h"
#include "review/TimelineFilterBar.h"

class QDateEdit;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace veyrune {

// Draws the timeline's TimelineFilterBar: the range and kinds menus, the
// date-only "From" and "To" pickers of a custom range, the count and "Clear".
// A picked "From" date starts the range at the beginning of that local day, a
// picked "To" date ends it with the last instant of that day. Every change
// goes to `onFilterChange`. Main thread; `clock` must outlive it.
class FilterBarWidget : public QWidget {
  public:
    FilterBarWidget(const Clock& clock, std::function<void(const TimelineFilter&)> onFilterChange,
                    QWidget* parent = nullptr);

    void setState(const TimelineFilter& filter, int showing, int total);
    const TimelineFilterBar& bar() const { return bar_; }

  private:
    void fillRangeMenu();
    void fillKindsMenu();
    void update();
    void fromChanged();
    void toChanged();

    const Clock& clock_;
    std::function<void(const TimelineFilter&)> onFilterChange_;
    TimelineFilterBar bar_;
    QToolButton* range_;
    QMenu* rangeMenu_;
    QToolButton* kinds_;
    QMenu* kindsMenu_;
    QLabel* fromLabel_;
    QDateEdit* from_;
    QLabel* toLabel_;
    QDateEdit* to_;
    QLabel* count_;
    QPushButton* clear_;
};

}  // namespace veyrune
