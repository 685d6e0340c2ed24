#include "evidence/EvidenceFileKind.h"

#include <cctype>
#include <string>

namespace veyrune {

std::optional<EvidenceFileKind> evidenceFileKindForExtension(std::string_view extension) {
    std::string lower;
    for (char c : extension) {
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    }
    if (lower == "jpg" || lower == "jpeg" || lower == "heic") {
        return EvidenceFileKind::cameraPhoto;
    }
    if (lower == "png") {
        return EvidenceFileKind::screenshot;
    }
    return std::nullopt;
}

}  // namespace veyrune
