#include "app/shell/FilterBarWidget.h"

#include <gtest/gtest.h>
#include <QDateEdit>

#include "ShellHarness.h"
#include "support/EventFactory.h"
#include "support/ScopedTimeZone.h"

namespace veyrune::test {
namespace {

QDateTimeEdit* picker(FilterBarWidget& bar, const char* name) {
    for (auto* edit : bar.findChildren<QDateTimeEdit*>()) {
        if (edit->accessibleName() == QLatin1String(name)) {
            return edit;
        }
    }
    ADD_FAILURE() << "no picker " << name;
    return nullptr;
}

// The custom range is a range of days: picking dates must cover those whole
// local days, not stop at the time of day the range happened to carry.
TEST(FilterBarDatesTest, PickedDatesCoverWholeLocalDays) {
    ScopedTimeZone zone("Europe/Berlin");
    ManualClock clock(localInstant(2026, 3, 10, 14, 30));
    TimelineFilter changed;
    FilterBarWidget bar(clock, [&](const TimelineFilter& filter) { changed = filter; });
    TimelineFilter custom;
    custom.dateRange =
        TimelineDateRange::custom(clock.now() - std::chrono::hours(24 * 7), clock.now());
    bar.setState(custom, 0, 0);

    auto* from = picker(bar, "From");
    auto* to = picker(bar, "To");
    ASSERT_TRUE(from && to);
    for (auto* edit : {from, to}) {
        EXPECT_FALSE(edit->isHidden());
        EXPECT_EQ(edit->displayedSections() & QDateTimeEdit::TimeSections_Mask, 0);
    }
    EXPECT_EQ(from->date(), QDate(2026, 3, 3));
    EXPECT_EQ(to->date(), QDate(2026, 3, 10));

    from->setDate(QDate(2026, 3, 2));
    to->setDate(QDate(2026, 3, 4));
    ASSERT_EQ(changed.dateRange.kind(), TimelineDateRange::Case::custom);
    LocalCalendar calendar;
    struct Row {
        Instant at;
        bool passes;
    } rows[] = {
        {localInstant(2026, 3, 1, 23, 59, 59), false},
        {localInstant(2026, 3, 2, 0, 0), true},
        {localInstant(2026, 3, 4, 23, 59, 59), true},
        {localInstant(2026, 3, 5, 0, 0), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(
            changed.matches(makeEvent(SecurityEventKind::didWake, row.at), clock.now(), calendar),
            row.passes)
            << iso8601String(row.at);
    }
}

}  // namespace
}  // namespace veyrune::test
