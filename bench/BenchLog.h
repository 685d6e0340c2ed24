#pragma once

// Sealed event logs of a chosen length for the benchmarks, written once and
// kept under the temporary folder between runs.

#include <filesystem>
#include <fstream>
#include <string>

#include "base/PosixFileSystem.h"
#include "record/EventChain.h"
#include "record/JSONLines.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune::bench {

inline SecurityEvent sampleEvent(long i) {
    SecurityEvent event;
    event.id = Uuid::random();
    event.occurredAt = referenceDate() + std::chrono::seconds(800000000 + i * 60);
    event.kind = allSecurityEventKinds[std::size_t(i) % allSecurityEventKinds.size()];
    event.summary = "USB attached: Keyboard " + std::to_string(i);
    event.context.batteryPercent = int(i % 100);
    event.context.machineName = "Ada's desk";
    event.context.userName = "ada";
    event.context.wifiSSID = "home/net";
    return event;
}

// A log of `lines` sealed events; reused when an earlier run left it complete.
inline std::filesystem::path sealedLog(long lines) {
    auto dir = std::filesystem::temp_directory_path() / "veyrune-bench";
    std::filesystem::create_directories(dir);
    auto path = dir / ("security-events-" + std::to_string(lines) + ".jsonl");
    auto& files = PosixFileSystem::shared();
    if (auto last = readLastJSONLine(files, path)) {
        auto fields = SecurityEventDecoder().chainFields(*last);
        if (fields && fields->seq == lines) {
            return path;
        }
    }
    auto partial = path;
    partial += ".partial";
    {
        std::ofstream out(partial, std::ios::trunc | std::ios::binary);
        std::string prev = EventChain::genesis;
        for (long i = 0; i < lines; ++i) {
            auto event = sampleEvent(i);
            event.seq = i + 1;
            event.prev = prev;
            std::string line = EventChain::canonicalLine(event);
            prev = EventChain::linkHash(line);
            out << line << '\n';
        }
    }
    std::filesystem::rename(partial, path);
    return path;
}

}  // namespace veyrune::bench
