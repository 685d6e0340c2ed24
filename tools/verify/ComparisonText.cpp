#include "verify/ComparisonText.h"

namespace veyrune {

namespace {

using Finding = LogComparisonResult::Finding;
using Run = LogComparisonResult::Run;

constexpr const char* kDash = " \xe2\x80\x94 ";
constexpr const char* kEnDash = "\xe2\x80\x93";

std::string counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string seqRange(std::int64_t from, std::int64_t to) {
    return from == to ? "entry " + std::to_string(from)
                      : "entries " + std::to_string(from) + kEnDash + std::to_string(to);
}

// "2026-12-07 14:15:02"
std::string secondText(Instant instant) {
    auto iso = iso8601String(instant);
    return iso.substr(0, 10) + " " + iso.substr(11, 8);
}

std::string where(const Run& run, std::int64_t chains) {
    std::string text = run.fromSeq == 0
                           ? counted(run.count, "line without a seq", "lines without a seq")
                           : seqRange(run.fromSeq, run.toSeq);
    if (chains > 1 && run.chain > 0) {
        text += " of chain " + std::to_string(run.chain);
    }
    return text;
}

std::string runText(const Run& run, const LogComparisonResult& result) {
    std::string central = where(run, result.centralChains);
    std::string text;
    switch (run.finding) {
        case Finding::lost:
            text = "Lost locally: " + central;
            break;
        case Finding::edited:
            text = "Changed locally: " + central;
            break;
        case Finding::rechained:
            text = "Renumbered or relinked locally: " + central;
            if (run.localFromSeq != run.fromSeq || run.localToSeq != run.toSeq) {
                text += ", now " + seqRange(run.localFromSeq, run.localToSeq);
            }
            break;
        case Finding::notYet:
            return "Not at the collector yet: " + where(run, result.localChains);
        case Finding::neverSent:
            return "Not at the collector, between entries it holds: " +
                   where(run, result.localChains);
    }
    if (run.from && run.to) {
        text += ", " + secondText(*run.from);
        if (*run.to != *run.from) {
            text += std::string(" ") + kEnDash + " " + secondText(*run.to);
        }
        text += " UTC";
    }
    return text;
}

std::string verdictText(const LogComparisonResult& result) {
    std::string text;
    if (result.lostOrChanged()) {
        text = "Local log lost or changed entries the collector holds" + std::string(kDash) +
               std::to_string(result.lost) + " lost, " + std::to_string(result.changed) +
               " changed, of " + std::to_string(result.centralEntries) + " at the collector";
    } else if (result.centralEntries == 0) {
        text = "The collector holds no entries yet";
    } else {
        text = "Nothing lost locally" + std::string(kDash) + "the local log holds all " +
               counted(result.centralEntries, "entry", "entries") + " the collector has";
    }
    if (result.notYet > 0) {
        text += "; " + std::to_string(result.notYet) + " local " +
                (result.notYet == 1 ? "entry is" : "entries are") + " not at the collector yet";
    }
    return text;
}

}  // namespace

std::vector<std::string> comparisonText(const LogComparisonResult& result, std::size_t maxRuns) {
    std::vector<std::string> lines{verdictText(result)};
    for (std::size_t i = 0; i < result.runs.size() && i < maxRuns; ++i) {
        lines.push_back(runText(result.runs[i], result));
    }
    auto more = static_cast<std::int64_t>(result.runs.size()) + result.runsNotKept -
                static_cast<std::int64_t>(std::min(maxRuns, result.runs.size()));
    if (more > 0) {
        lines.push_back("\xe2\x80\xa6 and " + counted(more, "more range", "more ranges"));
    }
    return lines;
}

}  // namespace veyrune
