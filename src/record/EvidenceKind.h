#pragma once

#include <optional>
#include <string_view>

namespace veyrune {

enum class EvidenceKind { cameraPhoto, screenshot };

inline std::string_view rawValue(EvidenceKind kind) {
    return kind == EvidenceKind::cameraPhoto ? "cameraPhoto" : "screenshot";
}

inline std::optional<EvidenceKind> evidenceKindFromRaw(std::string_view raw) {
    if (raw == "cameraPhoto") {
        return EvidenceKind::cameraPhoto;
    }
    if (raw == "screenshot") {
        return EvidenceKind::screenshot;
    }
    return std::nullopt;
}

}  // namespace veyrune
