#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace veyrune {

// One mounted filesystem as /proc/self/mountinfo lists it.
struct MountEntry {
    std::string mountPoint;
    std::string fileSystemType;
    std::string source;

    bool operator==(const MountEntry&) const = default;
};

// The user-visible volumes of a mountinfo text, by mount point: filesystems on
// a block device, network filesystems and FUSE filesystems, never pseudo
// filesystems or the desktop's own FUSE helpers. Malformed lines are skipped.
class MountTable {
  public:
    static MountTable parse(std::string_view mountInfo);
    static bool isUserVisible(const MountEntry& entry);

    // Mount points present here and not in `earlier`, in mount point order.
    std::vector<std::string> mountedSince(const MountTable& earlier) const;
    const std::map<std::string, MountEntry>& volumes() const { return volumes_; }

  private:
    std::map<std::string, MountEntry> volumes_;
};

}  // namespace veyrune
