#pragma once

#include "evidence/VideoCapabilityQuery.h"

namespace veyrune {

// VIDIOC_QUERYCAP on a read-only, non-blocking open, closed at once; the
// read-write permission from the node's mode and ACLs (effective ids). The
// one place Veyrune talks to a video device without Qt.
class V4L2CapabilityQuery final : public VideoCapabilityQuery {
  public:
    VideoNodeQuery query(const std::filesystem::path& node) const override;
};

}  // namespace veyrune
