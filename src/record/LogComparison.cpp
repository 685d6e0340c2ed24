#include "record/LogComparison.h"

#include <algorithm>
#include <functional>
#include <string>

#include "record/EventChain.h"

namespace veyrune {

namespace {

using Finding = LogComparisonResult::Finding;
using Run = LogComparisonResult::Run;

// Enough to show where things went wrong; the counts stay exact beyond it.
constexpr std::size_t kMaxRuns = 10'000;

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The line without its "prev" and "seq" fields, hashed: equal for a line that
// was only renumbered and relinked. A quote inside a JSON string is escaped,
// so the key found is the line's own.
std::size_t contentHash(std::string_view line) {
    auto prev = line.find("\"prev\":\"");
    auto seq = prev == std::string_view::npos ? prev : line.find("\"seq\":", prev);
    if (seq == std::string_view::npos) {
        return std::hash<std::string_view>{}(line);
    }
    auto end = line.find_first_not_of("-0123456789", seq + 6);
    end = end == std::string_view::npos ? line.size() : end;
    std::string content(line.substr(0, prev));
    content += line.substr(end);
    return std::hash<std::string>{}(content);
}

}  // namespace

std::int64_t LogComparison::position(std::string_view line, std::int64_t& chain,
                                     std::optional<std::string>& id, bool& startsChain) {
    auto key = decoder_.lineKey(line);
    if (!key) {
        return 0;
    }
    if (key->id) {
        id.emplace(*key->id);
    }
    if (!key->chain.seq || !key->chain.prev) {
        return 0;
    }
    startsChain = *key->chain.prev == EventChain::genesis;
    if (chain == 0 || startsChain) {
        ++chain;
    }
    return *key->chain.seq;
}

void LogComparison::addLocal(std::string_view line) {
    if (isBlank(line)) {
        return;
    }
    std::optional<std::string> id;
    bool startsChain = false;
    auto seq = position(line, localChain_, id, startsChain);
    auto index = static_cast<std::uint32_t>(local_.size());
    auto text = LineFingerprint::of(line);
    local_.push_back(
        {text, contentHash(line), seq, static_cast<std::int32_t>(localChain_), startsChain, false});
    byText_.push_back({text, index});
    if (id) {
        byID_.push_back({LineFingerprint::of(*id), index});
    }
}

std::int64_t LogComparison::find(const std::vector<Keyed>& keys, const LineFingerprint& key) {
    auto at = std::lower_bound(keys.begin(), keys.end(), Keyed{key, 0});
    return at != keys.end() && at->key == key ? std::int64_t{at->index} : -1;
}

void LogComparison::addCentral(std::string_view line) {
    if (isBlank(line)) {
        return;
    }
    if (!sorted_) {
        std::sort(byText_.begin(), byText_.end());
        std::sort(byID_.begin(), byID_.end());
        sorted_ = true;
    }
    auto text = LineFingerprint::of(line);
    auto index = next_ < local_.size() && local_[next_].text == text
                     ? static_cast<std::int64_t>(next_)
                     : find(byText_, text);
    bool repeat =
        index >= 0 ? local_[static_cast<std::size_t>(index)].matched : !unmatched_.insert(text);
    if (repeat) {
        ++central_.repeats;
        return;
    }
    ++central_.centralEntries;
    if (index >= 0) {
        // The same line: where chains start is known from the local one.
        const auto& local = local_[static_cast<std::size_t>(index)];
        if (local.seq != 0 && (centralChain_ == 0 || local.startsChain)) {
            ++centralChain_;
        }
        matched(index);
        return;
    }
    std::optional<std::string> id;
    bool startsChain = false;
    auto seq = position(line, centralChain_, id, startsChain);
    Run run{Finding::lost, centralChain_, seq, seq, 1, std::nullopt, std::nullopt};
    index = id ? find(byID_, LineFingerprint::of(*id)) : -1;
    if (index >= 0) {
        const auto& local = local_[static_cast<std::size_t>(index)];
        run.finding = local.content == contentHash(line) ? Finding::rechained : Finding::edited;
        run.localFromSeq = run.localToSeq = local.seq;
        matched(index);
        ++central_.changed;
    } else {
        ++central_.lost;
    }
    if (auto event = decoder_.decodeLogLine(line)) {
        run.from = run.to = event->occurredAt;
    }
    note(central_, run);
}

void LogComparison::matched(std::int64_t index) {
    local_[static_cast<std::size_t>(index)].matched = true;
    lastMatched_ = std::max(lastMatched_, index);
    next_ = static_cast<std::size_t>(index) + 1;
}

void LogComparison::note(LogComparisonResult& result, const Run& run) {
    if (!result.runs.empty()) {
        auto& last = result.runs.back();
        bool follows = run.fromSeq == 0 ? last.toSeq == 0 : run.fromSeq == last.toSeq + 1;
        bool followsLocally =
            run.finding != Finding::rechained || run.localFromSeq == last.localToSeq + 1;
        if (last.finding == run.finding && last.chain == run.chain && follows && followsLocally) {
            last.toSeq = run.toSeq;
            last.localToSeq = run.localToSeq;
            last.to = run.to ? run.to : last.to;
            last.from = last.from ? last.from : run.from;
            ++last.count;
            return;
        }
    }
    if (result.runs.size() < kMaxRuns) {
        result.runs.push_back(run);
    } else {
        ++result.runsNotKept;
    }
}

LogComparisonResult LogComparison::result() const {
    LogComparisonResult result = central_;
    result.centralChains = centralChain_;
    result.localChains = localChain_;
    result.localEntries = static_cast<std::int64_t>(local_.size());
    for (std::size_t i = 0; i < local_.size(); ++i) {
        const auto& line = local_[i];
        if (line.matched) {
            continue;
        }
        bool later = static_cast<std::int64_t>(i) > lastMatched_;
        ++(later ? result.notYet : result.neverSent);
        note(result, {later ? Finding::notYet : Finding::neverSent, line.chain, line.seq, line.seq,
                      1, std::nullopt, std::nullopt});
    }
    return result;
}

}  // namespace veyrune
