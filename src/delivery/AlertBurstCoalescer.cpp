#include "delivery/AlertBurstCoalescer.h"

#include <algorithm>
#include <charconv>

namespace veyrune {

namespace {

constexpr std::size_t kMaximumListedNames = 20;

std::string_view kindPhrase(SecurityEventKind kind) {
    switch (kind) {
        case SecurityEventKind::usbAttached:
            return "USB devices attached";
        case SecurityEventKind::usbDetached:
            return "USB devices detached";
        case SecurityEventKind::volumeMounted:
            return "volumes mounted";
        case SecurityEventKind::volumeUnmounted:
            return "volumes unmounted";
        case SecurityEventKind::displayAdded:
            return "displays added";
        case SecurityEventKind::displayRemoved:
            return "displays removed";
        case SecurityEventKind::audioOutputChanged:
            return "audio output changes";
        default:
            return rawValue(kind);
    }
}

// One decimal with a full stop whatever the locale ("%.1f").
std::string oneDecimal(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

std::optional<std::string> candidateName(const AlertCandidate& candidate) {
    for (const char* key : {"name", "path"}) {
        auto it = candidate.details.find(key);
        if (it != candidate.details.end() && !it->second.empty()) {
            return it->second;
        }
    }
    return std::nullopt;
}

std::string nameList(const std::vector<AlertCandidate>& candidates) {
    std::vector<std::string> names;
    for (const auto& candidate : candidates) {
        if (auto name = candidateName(candidate)) {
            names.push_back(std::move(*name));
        }
    }
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < kMaximumListedNames; ++i) {
        list += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > kMaximumListedNames) {
        list += " \u2026and " + std::to_string(names.size() - kMaximumListedNames) + " more";
    }
    return list;
}

}  // namespace

AlertBurstCoalescer::AlertBurstCoalescer(AlertBurstConfiguration configuration,
                                         const SleepTransitionClock& sleepClock)
    : configuration_(configuration), sleepClock_(sleepClock) {}

bool AlertBurstCoalescer::isImmediate(SecurityEventKind kind) {
    return kind == SecurityEventKind::didWake || kind == SecurityEventKind::willSleep ||
           kind == SecurityEventKind::screenLocked || kind == SecurityEventKind::screenUnlocked;
}

std::vector<PendingAlert> AlertBurstCoalescer::offer(const AlertCandidate& candidate, Instant now) {
    if (isImmediate(candidate.event.kind)) {
        return {PendingAlert{candidate.event, candidate.event.summary}};
    }
    std::lock_guard lock(mutex_);
    auto [it, opened] = groups_.try_emplace(candidate.event.kind, Group{{}, now, now});
    it->second.candidates.push_back(candidate);
    it->second.lastArrivalAt = now;
    return {};
}

std::vector<PendingAlert> AlertBurstCoalescer::flushDue(Instant now) {
    std::vector<Group> due;
    {
        std::lock_guard lock(mutex_);
        for (auto it = groups_.begin(); it != groups_.end();) {
            if (isDue(it->second, now)) {
                due.push_back(std::move(it->second));
                it = groups_.erase(it);
            } else {
                ++it;
            }
        }
    }
    return alerts(due);
}

std::vector<PendingAlert> AlertBurstCoalescer::flushAll() {
    std::vector<Group> all;
    {
        std::lock_guard lock(mutex_);
        for (auto& [kind, group] : groups_) {
            all.push_back(std::move(group));
        }
        groups_.clear();
    }
    return alerts(all);
}

std::optional<Instant> AlertBurstCoalescer::nextFlushDate(Instant now) const {
    std::lock_guard lock(mutex_);
    std::optional<Instant> earliest;
    for (const auto& [kind, group] : groups_) {
        Instant groupDeadline = deadline(group);
        if (!earliest || groupDeadline < *earliest) {
            earliest = groupDeadline;
        }
    }
    if (earliest && *earliest <= now) {
        return now;
    }
    return earliest;
}

bool AlertBurstCoalescer::isDue(const Group& group, Instant now) const {
    return secondsBetween(group.lastArrivalAt, now) >= configuration_.quietPeriod ||
           secondsBetween(group.openedAt, now) >= configuration_.maximumHold;
}

Instant AlertBurstCoalescer::deadline(const Group& group) const {
    return std::min(addSeconds(group.lastArrivalAt, configuration_.quietPeriod),
                    addSeconds(group.openedAt, configuration_.maximumHold));
}

std::vector<PendingAlert> AlertBurstCoalescer::alerts(const std::vector<Group>& groups) const {
    std::vector<PendingAlert> result;
    for (const auto& group : groups) {
        auto groupAlerts = alerts(group);
        result.insert(result.end(), groupAlerts.begin(), groupAlerts.end());
    }
    std::stable_sort(result.begin(), result.end(), [](const auto& a, const auto& b) {
        return a.anchor.occurredAt < b.anchor.occurredAt;
    });
    return result;
}

std::vector<PendingAlert> AlertBurstCoalescer::alerts(const Group& group) const {
    if (std::int64_t(group.candidates.size()) < configuration_.burstThreshold) {
        std::vector<PendingAlert> single;
        for (const auto& candidate : group.candidates) {
            single.push_back(PendingAlert{candidate.event, candidate.event.summary});
        }
        return single;
    }
    return {PendingAlert{group.candidates.front().event, burstSummary(group)}};
}

std::string AlertBurstCoalescer::burstSummary(const Group& group) const {
    const auto& first = group.candidates.front().event;
    std::string summary = std::to_string(group.candidates.size()) + " ";
    summary += kindPhrase(first.kind);
    summary += " within " + oneDecimal(secondsBetween(group.openedAt, group.lastArrivalAt)) + "s";
    if (displayJustSlept(group.openedAt)) {
        summary += " (display had just slept)";
    }
    auto names = nameList(group.candidates);
    if (!names.empty()) {
        summary += ":\n" + names;
    }
    return summary;
}

bool AlertBurstCoalescer::displayJustSlept(Instant openedAt) const {
    auto sleptAt = sleepClock_.displaySleptAt();
    if (!sleptAt) {
        return false;
    }
    const double sinceSleep = secondsBetween(*sleptAt, openedAt);
    return sinceSleep >= 0 && sinceSleep <= configuration_.sleepProximityWindow;
}

}  // namespace veyrune
