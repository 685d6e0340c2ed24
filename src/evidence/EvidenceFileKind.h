#pragma once

#include <optional>
#include <string_view>

namespace veyrune {

enum class EvidenceFileKind { cameraPhoto, screenshot };

// The kind a file extension (without the dot, any case) stands for:
// jpg, jpeg and heic are photos, png is a screenshot, anything else is not evidence.
std::optional<EvidenceFileKind> evidenceFileKindForExtension(std::string_view extension);

}  // namespace veyrune
