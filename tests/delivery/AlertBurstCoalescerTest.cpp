#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "delivery/AlertBurstCoalescer.h"
#include "support/FakeSleepTransitionClock.h"

using namespace veyrune;

namespace {

const Instant t0 = addSeconds(referenceDate(), 10000);

Instant at(double seconds) {
    return addSeconds(t0, seconds);
}

AlertCandidate candidate(SecurityEventKind kind, double occurredAt,
                         std::map<std::string, std::string> details = {}) {
    SecurityEvent event{Uuid::random(), at(occurredAt), kind, "own summary", {}, {}, {}, {}};
    return AlertCandidate{event, std::move(details)};
}

std::vector<std::map<std::string, std::string>> named(int count) {
    std::vector<std::map<std::string, std::string>> details;
    for (int i = 1; i <= count; ++i) {
        details.push_back({{"name", "N" + std::to_string(i)}});
    }
    return details;
}

// "N1, N2, …" up to `count`.
std::string names(int count) {
    std::string text = "N1";
    for (int i = 2; i <= count; ++i) {
        text += ", N" + std::to_string(i);
    }
    return text;
}

struct CoalescerTest : ::testing::Test {
    test::FakeSleepTransitionClock sleepClock;
    AlertBurstCoalescer coalescer{AlertBurstConfiguration{}, sleepClock};

    // Offers one candidate per details entry, spread evenly over `span` seconds,
    // and returns the single alert of the flushed burst.
    PendingAlert burst(SecurityEventKind kind,
                       const std::vector<std::map<std::string, std::string>>& details,
                       double span = 0) {
        for (std::size_t i = 0; i < details.size(); ++i) {
            double offset = details.size() > 1 ? span * double(i) / double(details.size() - 1) : 0;
            coalescer.offer(candidate(kind, offset, details[i]), at(offset));
        }
        auto alerts = coalescer.flushAll();
        EXPECT_EQ(alerts.size(), 1u);
        return alerts.empty() ? PendingAlert{} : alerts[0];
    }
};

}  // namespace

TEST_F(CoalescerTest, ImmediateKindsPassAtOnceWithoutAGroup) {
    using K = SecurityEventKind;
    for (auto kind : {K::didWake, K::willSleep, K::screenLocked, K::screenUnlocked}) {
        auto input = candidate(kind, 0);
        auto alerts = coalescer.offer(input, t0);
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0], (PendingAlert{input.event, "own summary"}));
    }
    EXPECT_FALSE(coalescer.nextFlushDate(t0));
}

TEST_F(CoalescerTest, TwoCandidatesBelowTheThresholdComeOutSeparately) {
    auto first = candidate(SecurityEventKind::usbAttached, 0, {{"name", "A"}});
    auto second = candidate(SecurityEventKind::usbAttached, 0.5, {{"name", "B"}});
    EXPECT_TRUE(coalescer.offer(first, at(0)).empty());
    EXPECT_TRUE(coalescer.offer(second, at(0.5)).empty());
    EXPECT_EQ(coalescer.nextFlushDate(at(0.5)), at(2.5));
    EXPECT_TRUE(coalescer.flushDue(at(2.4)).empty());
    auto alerts = coalescer.flushDue(at(2.5));
    EXPECT_EQ(alerts, (std::vector<PendingAlert>{{first.event, "own summary"},
                                                 {second.event, "own summary"}}));
    EXPECT_FALSE(coalescer.nextFlushDate(at(2.5)));
}

TEST_F(CoalescerTest, BurstSummaryText) {
    using K = SecurityEventKind;
    struct Case {
        K kind;
        std::vector<std::map<std::string, std::string>> details;
        double span;
        std::string summary;
    };
    const Case cases[] = {
        {K::usbAttached, named(5), 1.24, "5 USB devices attached within 1.2s:\n" + names(5)},
        {K::volumeMounted,
         {{{"path", "/media/a"}},
          {{"name", ""}, {"path", "/media/b"}},
          {{"name", "C"}, {"path", "/c"}}},
         0,
         "3 volumes mounted within 0.0s:\n/media/a, /media/b, C"},
        {K::displayAdded,
         {{}, {{"name", ""}}, {{"other", "x"}}},
         0.96,
         "3 displays added within 1.0s"},
        {K::usbDetached, {{}, {{"name", "B"}}, {}}, 2, "3 USB devices detached within 2.0s:\nB"},
        {K::audioOutputChanged, {{}, {}, {}}, 0.5, "3 audio output changes within 0.5s"},
        {K::usbAttached, named(20), 0, "20 USB devices attached within 0.0s:\n" + names(20)},
        {K::usbAttached, named(25), 0,
         "25 USB devices attached within 0.0s:\n" + names(20) + " \u2026and 5 more"},
    };
    for (const auto& c : cases) {
        auto alert = burst(c.kind, c.details, c.span);
        EXPECT_EQ(alert.summary, c.summary) << rawValue(c.kind);
        EXPECT_EQ(alert.anchor.occurredAt, t0);
        EXPECT_EQ(alert.deliveredEvent().summary, c.summary);
        EXPECT_EQ(alert.deliveredEvent().id, alert.anchor.id);
    }
}

TEST_F(CoalescerTest, MaximumHoldFlushesASteadyStream) {
    for (int second = 0; second < 5; ++second) {
        EXPECT_TRUE(coalescer.flushDue(at(second)).empty()) << second;
        coalescer.offer(candidate(SecurityEventKind::displayAdded, second), at(second));
    }
    EXPECT_EQ(coalescer.nextFlushDate(at(4)), at(5));
    EXPECT_TRUE(coalescer.flushDue(at(4.999)).empty());
    auto alerts = coalescer.flushDue(at(5));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].summary, "5 displays added within 4.0s");

    coalescer.offer(candidate(SecurityEventKind::displayAdded, 5), at(5));
    EXPECT_EQ(coalescer.nextFlushDate(at(5)), at(7));
    EXPECT_EQ(coalescer.nextFlushDate(at(9)), at(9));
}

TEST_F(CoalescerTest, FlushedGroupsAreOrderedByTheirAnchorsTime) {
    // The map visits kinds in declaration order; the anchors' times decide instead.
    auto usb = candidate(SecurityEventKind::usbAttached, 3);
    auto display = candidate(SecurityEventKind::displayAdded, 1);
    auto audio = candidate(SecurityEventKind::audioOutputChanged, 2);
    coalescer.offer(usb, at(3));
    coalescer.offer(display, at(3));
    coalescer.offer(audio, at(3));
    auto alerts = coalescer.flushAll();
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_EQ(alerts[0].anchor.id, display.event.id);
    EXPECT_EQ(alerts[1].anchor.id, audio.event.id);
    EXPECT_EQ(alerts[2].anchor.id, usb.event.id);
    EXPECT_FALSE(coalescer.nextFlushDate(at(3)));
}

TEST_F(CoalescerTest, DisplaySleepNoteCoversAnInclusiveWindow) {
    struct Case {
        std::optional<double> sleptBeforeOpening;
        bool noted;
    };
    const Case cases[] = {{std::nullopt, false}, {0, true},    {3, true}, {10, true},
                          {11, false},           {-0.5, false}};
    for (const auto& c : cases) {
        sleepClock.set(c.sleptBeforeOpening ? std::optional(at(-*c.sleptBeforeOpening))
                                            : std::nullopt);
        auto summary = burst(SecurityEventKind::usbAttached, {{}, {}, {}}).summary;
        EXPECT_EQ(summary, c.noted ? "3 USB devices attached within 0.0s (display had just slept)"
                                   : "3 USB devices attached within 0.0s")
            << c.sleptBeforeOpening.value_or(-1);
    }
}

TEST(AlertBurstCoalescer, ConcurrentOffersLoseNoCandidate) {
    test::FakeSleepTransitionClock sleepClock;
    AlertBurstConfiguration configuration;
    configuration.burstThreshold = 1'000'000;  // every candidate comes out on its own
    AlertBurstCoalescer coalescer(configuration, sleepClock);
    constexpr int threads = 6;
    constexpr int perThread = 300;
    const auto kinds = allSecurityEventKinds;
    std::vector<PendingAlert> released;
    std::mutex releasedMutex;
    auto keep = [&](std::vector<PendingAlert> alerts) {
        std::lock_guard lock(releasedMutex);
        released.insert(released.end(), alerts.begin(), alerts.end());
    };
    {
        std::vector<std::jthread> offering;
        for (int t = 0; t < threads; ++t) {
            offering.emplace_back([&, t] {
                for (int i = 0; i < perThread; ++i) {
                    keep(coalescer.offer(candidate(kinds[(t + i) % kinds.size()], i), at(i)));
                }
            });
        }
        offering.emplace_back([&] {
            for (int i = 0; i < perThread; ++i) {
                keep(coalescer.flushDue(at(1e6)));
                coalescer.nextFlushDate(at(i));
            }
        });
    }
    keep(coalescer.flushAll());
    std::set<Uuid> ids;
    for (const auto& alert : released) {
        ids.insert(alert.anchor.id);
    }
    EXPECT_EQ(released.size(), std::size_t(threads * perThread));
    EXPECT_EQ(ids.size(), released.size());
}
