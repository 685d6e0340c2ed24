#pragma once

#include <cstdint>
#include <filesystem>

#include "base/Instant.h"
#include "evidence/EvidenceFileKind.h"

namespace veyrune {

// One evidence file on disk, identified by its path.
struct EvidenceFile {
    std::filesystem::path url;
    EvidenceFileKind kind = EvidenceFileKind::screenshot;
    Instant createdAt;           // the distant past when unknown
    std::int64_t byteCount = 0;  // 0 when unknown

    bool operator==(const EvidenceFile&) const = default;
};

}  // namespace veyrune
