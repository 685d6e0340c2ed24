#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "review/TimelineEventSet.h"
#include "review/TimelineFilterBar.h"
#include "support/InMemorySecurityEventStore.h"
#include "support/ScopedTimeZone.h"

using namespace veyrune;
using Case = TimelineDateRange::Case;

namespace {

Instant at(const char* iso) {
    return *parseISO8601(iso);
}

SecurityEvent event(SecurityEventKind kind, Instant when, const char* summary = "") {
    SecurityEvent e;
    e.id = Uuid::random();
    e.kind = kind;
    e.occurredAt = when;
    e.summary = summary;
    return e;
}

double todaySpan(Instant now) {
    LocalCalendar calendar;
    auto bounds = TimelineDateRange::today().bounds(now, calendar);
    return secondsBetween(bounds->first, bounds->second);
}

}  // namespace

TEST(TimelineDateRange, TodayStartsAtTheLocalCalendarsStartOfDay) {
    struct Row {
        const char* zone;
        const char* now;
        double span;
    } rows[] = {
        {"Europe/Berlin", "2026-07-14T22:00:30Z", 30},         // 00:00:30 CEST
        {"America/New_York", "2026-01-10T05:00:30Z", 30},      // 00:00:30 EST
        {"Europe/Berlin", "2026-03-29T01:00:30Z", 7230},       // 03:00:30, the hour 02-03 skipped
        {"Europe/Berlin", "2026-10-25T10:00:00Z", 12 * 3600},  // 11:00 CET, 02-03 repeated
        {"America/Santiago", "2026-09-06T04:00:30Z", 30},      // 01:00:30: midnight did not exist
        {"UTC", "2026-01-01T00:00:00Z", 0},
    };
    for (const auto& row : rows) {
        test::ScopedTimeZone zone(row.zone);
        EXPECT_EQ(todaySpan(at(row.now)), row.span) << row.zone << " " << row.now;
    }
}

TEST(TimelineDateRange, PresetsEndAtNowAndCountWholeSeconds) {
    test::ScopedTimeZone zone("Europe/Berlin");
    LocalCalendar calendar;
    Instant now = at("2026-03-30T12:00:00Z");  // a week that crosses the clock change
    auto week = TimelineDateRange::last7().bounds(now, calendar);
    EXPECT_EQ(secondsBetween(week->first, week->second), 604800);
    EXPECT_EQ(week->second, now);
    auto month = TimelineDateRange::last30().bounds(now, calendar);
    EXPECT_EQ(secondsBetween(month->first, month->second), 2592000);
    EXPECT_FALSE(TimelineDateRange::allTime().bounds(now, calendar));
}

TEST(TimelineFilter, EventAfterNowPassesOnlyAllTime) {
    test::ScopedTimeZone zone("UTC");
    Instant now = at("2026-03-05T12:00:00Z");
    auto future = event(SecurityEventKind::didWake, addSeconds(now, 1));
    for (auto kind : {Case::allTime, Case::today, Case::last7, Case::last30}) {
        TimelineFilter filter;
        filter.dateRange = TimelineDateRange::preset(kind);
        EXPECT_EQ(filter.apply({future}, now).size(), kind == Case::allTime ? 1u : 0u)
            << filter.dateRange.title();
    }
}

TEST(TimelineFilter, CustomRangesAreInclusiveInEitherOrder) {
    Instant a = at("2026-01-01T00:00:00Z"), b = at("2026-01-31T00:00:00Z");
    std::vector<SecurityEvent> events = {
        event(SecurityEventKind::didWake, addSeconds(a, -1)),
        event(SecurityEventKind::didWake, a),
        event(SecurityEventKind::didWake, b),
        event(SecurityEventKind::didWake, addSeconds(b, 1)),
    };
    TimelineFilter forward, reversed, single;
    forward.dateRange = TimelineDateRange::custom(a, b);
    reversed.dateRange = TimelineDateRange::custom(b, a);
    single.dateRange = TimelineDateRange::custom(a, a);
    Instant now = at("2026-06-01T00:00:00Z");
    auto passed = forward.apply(events, now);
    ASSERT_EQ(passed.size(), 2u);
    EXPECT_EQ(passed[0].id, events[1].id);
    EXPECT_EQ(reversed.apply(events, now), passed);
    EXPECT_EQ(reversed.dateRange.descriptionFragment(), "2026-01-01 to 2026-01-31");
    auto one = single.apply(events, now);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].id, events[1].id);
}

TEST(TimelineFilter, SummaryDescriptions) {
    using K = SecurityEventKind;
    EXPECT_EQ(TimelineFilter{}.summaryDescription(), std::nullopt);
    EXPECT_TRUE(TimelineFilter{}.isDefault());
    TimelineFilter none{TimelineDateRange::today(), {}};
    EXPECT_EQ(none.summaryDescription(), "no kinds; today");
    EXPECT_TRUE(
        none.apply({event(K::didWake, at("2026-03-05T12:00:00Z"))}, at("2026-03-05T12:00:00Z"))
            .empty());
    TimelineFilter both{TimelineDateRange::last30(), {K::audioOutputChanged, K::screenLocked}};
    EXPECT_EQ(both.summaryDescription(), "Screen Locked, Audio Output Changed; last 30 days");
}

class TimelineEventSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        newest = event(SecurityEventKind::didWake, at("2026-03-05T12:00:00Z"));
        middle = event(SecurityEventKind::usbAttached, at("2026-03-04T12:00:00Z"));
        oldest = event(SecurityEventKind::didWake, at("2026-03-03T12:00:00Z"));
        // Appended out of order: the set must sort newest first itself.
        store.append(middle);
        store.append(oldest);
        store.append(newest);
        wakesOnly.kinds = {SecurityEventKind::didWake};
    }
    test::InMemorySecurityEventStore store;
    SecurityEvent newest, middle, oldest;
    TimelineFilter wakesOnly;
    Instant now = *parseISO8601("2026-03-06T00:00:00Z");
};

TEST_F(TimelineEventSetTest, LinkedEventHiddenByFilterTakesItsChronologicalPlace) {
    auto set = TimelineEventSet::load(store, wakesOnly, middle.id, now);
    ASSERT_EQ(set.all.size(), 3u);
    ASSERT_EQ(set.filtered.size(), 2u);
    ASSERT_EQ(set.linked.size(), 1u);
    EXPECT_EQ(set.linked[0].id, middle.id);
    std::vector<Uuid> shown;
    for (const auto& e : set.displayed) {
        shown.push_back(e.id);
    }
    EXPECT_EQ(shown, (std::vector<Uuid>{newest.id, middle.id, oldest.id}));
}

TEST_F(TimelineEventSetTest, LinkedEventAlreadyShownIsNotDuplicated) {
    auto set = TimelineEventSet::load(store, wakesOnly, oldest.id, now);
    EXPECT_TRUE(set.linked.empty());
    EXPECT_EQ(set.displayed, set.filtered);
    EXPECT_EQ(store.lookupCount(), 0);
}

TEST_F(TimelineEventSetTest, VanishedLinkedEventAndReadFailures) {
    auto set = TimelineEventSet::load(store, wakesOnly, Uuid::random(), now);
    EXPECT_TRUE(set.linked.empty());
    EXPECT_EQ(set.displayed.size(), 2u);
    store.setFailReads(true);
    EXPECT_THROW(TimelineEventSet::load(store, wakesOnly, std::nullopt, now), std::runtime_error);
}

TEST(TimelineFilterBar, LabelsCountsAndClear) {
    std::vector<TimelineFilter> changes;
    TimelineFilterBar bar(TimelineFilter{}, 3, 42,
                          [&](const TimelineFilter& f) { changes.push_back(f); });
    EXPECT_EQ(bar.countText(), "42 events");  // showing is ignored for the default filter
    EXPECT_FALSE(bar.showsClear());

    bar.setKind(SecurityEventKind::didWake, false);
    bar.setKind(SecurityEventKind::willSleep, false);
    EXPECT_EQ(bar.kindsLabel(), "Kinds: 9 kinds");
    EXPECT_EQ(bar.countText(), "3 of 42 events");
    EXPECT_TRUE(bar.showsClear());
    EXPECT_FALSE(bar.kindsMenuItems()[2].isOn);

    for (auto kind : allSecurityEventKinds) {
        bar.setKind(kind, kind == SecurityEventKind::usbDetached);
    }
    EXPECT_EQ(bar.kindsLabel(), "Kinds: USB Detached");

    bar.clear();
    EXPECT_TRUE(bar.filter().isDefault());
    EXPECT_TRUE(changes.back().isDefault());
}

TEST(TimelineFilterBar, CustomAlwaysRestartsWithTheLastWeek) {
    TimelineFilterBar bar(TimelineFilter{}, 0, 0);
    Instant now = at("2026-03-05T12:00:00Z");
    EXPECT_FALSE(bar.showsCustomDates());
    EXPECT_EQ(bar.fromDate(now), addSeconds(now, -604800));
    bar.setFromDate(at("2020-01-01T00:00:00Z"));  // ignored: not custom
    EXPECT_EQ(bar.filter().dateRange, TimelineDateRange::allTime());

    bar.chooseCustom(now);
    bar.setToDate(at("2026-01-01T00:00:00Z"));  // before From: kept as set
    EXPECT_EQ(bar.filter().dateRange,
              TimelineDateRange::custom(addSeconds(now, -604800), at("2026-01-01T00:00:00Z")));
    EXPECT_EQ(bar.rangeLabel(), "Range: Custom");

    Instant later = addSeconds(now, 3600);
    bar.chooseCustom(later);
    EXPECT_EQ(bar.filter().dateRange, TimelineDateRange::custom(addSeconds(later, -604800), later));
}
