#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "base/PosixFileSystem.h"
#include "record/EventChain.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "seal/SealedLogVerifier.h"
#include "seal/Sealer.h"
#include "support/EventFactory.h"
#include "support/ManualClock.h"
#include "support/TempDirectory.h"

namespace veyrune::test {

inline std::vector<std::string> fileLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    if (!std::filesystem::exists(path)) {
        return lines;
    }
    std::istringstream text(readFile(path));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

inline void writeLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\n";
    }
    writeFile(path, text);
}

// A sealed event log in a temporary folder, written by the real stores and a
// Sealer driven by a manual clock, one epoch at a time.
class SealedHistory {
  public:
    static constexpr std::int64_t epochSeconds = 900;

    SealedHistory()
        : clock(referenceDate() + std::chrono::hours(24 * 9100)),
          store(log(), PosixFileSystem::shared()),
          sealer(clock, PosixFileSystem::shared(), store, keyFile(), seals()) {
        SealKey::Bytes seed{};
        seed.fill(0x5a);
        key = sealer.begin(seed, epochSeconds);
    }

    std::filesystem::path log() const { return dir / "security-events.jsonl"; }
    std::filesystem::path seals() const { return dir / "security-events.seals"; }
    std::filesystem::path keyFile() const { return dir / "security-events.sealkey"; }

    void append(int count) {
        for (int i = 0; i < count; ++i) {
            store.append(makeEvent());
        }
    }
    // `count` events in the current epoch, then its end and the seal.
    void epoch(int count) {
        append(count);
        clock.advance(static_cast<double>(epochSeconds));
        sealer.tick();
    }

    SealVerificationResult verify() const {
        SealedLogVerifier verifier(key, fileLines(seals()));
        for (const auto& line : fileLines(log())) {
            verifier.add(line);
        }
        return verifier.result();
    }

    TempDirectory dir;
    ManualClock clock;
    JSONLFileSecurityEventStore store;
    Sealer sealer;
    VerificationKey key;
};

// Gives the lines from index `from` on new seq numbers and links, as anyone
// who can write the log can.
inline std::vector<std::string> rechained(std::vector<std::string> lines, std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        auto event = JSONLFileSecurityEventStore::decodeLine(lines[i]);
        auto header = EventChain::nextHeader(i == 0 ? std::vector<std::string>{}
                                                    : std::vector<std::string>{lines[i - 1]});
        event->seq = header.seq;
        event->prev = header.prev;
        lines[i] = EventChain::canonicalLine(*event);
    }
    return lines;
}

}  // namespace veyrune::test
