// /proc/self/mountinfo text as the kernel (or a hostile FUSE mount point name)
// may write it: parsing never fails loudly, keeps only user-visible volumes
// keyed by their own mount point, and a table differs from itself by nothing.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "system/linux/MountTable.h"

using namespace veyrune;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto table = MountTable::parse(text);
    for (const auto& [mountPoint, entry] : table.volumes()) {
        fuzz::require(mountPoint == entry.mountPoint, "a volume is keyed by its mount point");
        fuzz::require(MountTable::isUserVisible(entry), "only user-visible volumes are kept");
    }
    fuzz::require(table.mountedSince(table).empty(), "a table has nothing new against itself");
    fuzz::require(table.mountedSince(MountTable{}).size() == table.volumes().size(),
                  "against an empty table every volume is new");
    return 0;
}
