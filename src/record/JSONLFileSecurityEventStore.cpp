#include "record/JSONLFileSecurityEventStore.h"

#include <algorithm>

#include "base/DataLocation.h"
#include "base/PosixFileSystem.h"
#include "record/EventChain.h"
#include "record/JSONLineScanner.h"
#include "record/JSONLines.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

JSONLFileSecurityEventStore::JSONLFileSecurityEventStore()
    : JSONLFileSecurityEventStore(defaultFileURL(), PosixFileSystem::shared()) {}

JSONLFileSecurityEventStore::JSONLFileSecurityEventStore(std::filesystem::path fileURL,
                                                         FileSystem& files)
    : fileURL_(std::move(fileURL)), files_(&files) {}

std::filesystem::path JSONLFileSecurityEventStore::defaultFileURL() {
    return veyruneDataDirectory() / "security-events.jsonl";
}

void JSONLFileSecurityEventStore::append(const SecurityEvent& event) {
    files_->createDirectories(fileURL_.parent_path());
    EventChain::Header header{1, EventChain::genesis};
    try {
        // Only the last line decides the next header: read just the tail.
        if (auto last = readLastJSONLine(*files_, fileURL_)) {
            header = EventChain::nextHeader({*last});
        }
    } catch (const FileError&) {
        // An unreadable log restarts the chain rather than losing the event.
    }
    SecurityEvent sealed = event;
    sealed.seq = header.seq;
    sealed.prev = header.prev;
    appendJSONLine(*files_, fileURL_, EventChain::canonicalLine(sealed));
}

std::vector<std::string> JSONLFileSecurityEventStore::readLines() const {
    return readJSONLines(*files_, fileURL_);
}

LogRead JSONLFileSecurityEventStore::readLinesAfter(const LogPosition& position,
                                                    LogLineSink& sink) const {
    return readJSONLinesAfter(*files_, fileURL_, position, sink);
}

std::optional<SecurityEvent> JSONLFileSecurityEventStore::decodeLine(const std::string& line) {
    return SecurityEventDecoder().decodeLogLine(line);
}

std::vector<SecurityEvent> JSONLFileSecurityEventStore::allEvents() const {
    std::vector<SecurityEvent> events;
    SecurityEventDecoder decoder;
    forEachJSONLine(*files_, fileURL_, [&](std::string_view line) {
        if (auto event = decoder.decodeLogLine(line)) {
            events.push_back(std::move(*event));
        }
    });
    return events;
}

std::vector<SecurityEvent> JSONLFileSecurityEventStore::recentEvents(long limit) const {
    if (limit < 1) {
        return {};
    }
    auto events = allEvents();
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.occurredAt > b.occurredAt; });
    if (events.size() > std::size_t(limit)) {
        events.resize(std::size_t(limit));
    }
    return events;
}

std::vector<SecurityEvent> JSONLFileSecurityEventStore::events(
    const std::unordered_set<Uuid>& ids) const {
    if (ids.empty()) {
        return {};
    }
    auto events = allEvents();
    std::erase_if(events, [&](const SecurityEvent& event) { return !ids.contains(event.id); });
    return events;
}

}  // namespace veyrune
