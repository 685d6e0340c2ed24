#include "system/linux/MountTable.h"

#include <algorithm>
#include <array>
#include <optional>
#include <sstream>

namespace veyrune {

namespace {

constexpr std::array<std::string_view, 13> networkTypes = {
    "nfs",  "nfs4",      "cifs",   "smb3",  "smbfs", "9p",  "afs",
    "ceph", "glusterfs", "lustre", "davfs", "ncpfs", "coda"};

// FUSE filesystems that belong to the desktop itself, not to a volume.
constexpr std::array<std::string_view, 3> desktopFuseTypes = {"fuse.portal", "fuse.gvfsd-fuse",
                                                              "fuse.xdg-document-portal"};

// mountinfo writes space, tab, newline and backslash as octal escapes.
std::string unescape(std::string_view field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + i + 1, field.begin() + i + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            text.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                             (field[i + 3] - '0')));
            i += 3;
        } else {
            text.push_back(field[i]);
        }
    }
    return text;
}

// "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue"
std::optional<MountEntry> parseLine(const std::string& line) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint, options, field;
    if (!(fields >> id >> parent >> device >> root >> mountPoint >> options)) {
        return std::nullopt;
    }
    while (fields >> field && field != "-") {
    }
    std::string type, source;
    if (field != "-" || !(fields >> type >> source)) {
        return std::nullopt;
    }
    return MountEntry{unescape(mountPoint), type, unescape(source)};
}

}  // namespace

bool MountTable::isUserVisible(const MountEntry& entry) {
    const std::string_view type = entry.fileSystemType;
    if (std::ranges::find(desktopFuseTypes, type) != desktopFuseTypes.end()) {
        return false;
    }
    if (type == "fuse" || type == "fuseblk" || type.starts_with("fuse.")) {
        return true;
    }
    const std::string_view baseType = type.substr(0, type.find('.'));
    if (std::ranges::find(networkTypes, baseType) != networkTypes.end()) {
        return true;
    }
    return entry.source.starts_with("/dev/");
}

MountTable MountTable::parse(std::string_view mountInfo) {
    MountTable table;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        if (auto entry = parseLine(line); entry && isUserVisible(*entry)) {
            table.volumes_[entry->mountPoint] = *entry;
        }
    }
    return table;
}

std::vector<std::string> MountTable::mountedSince(const MountTable& earlier) const {
    std::vector<std::string> mounted;
    for (const auto& [mountPoint, entry] : volumes_) {
        if (!earlier.volumes_.contains(mountPoint)) {
            mounted.push_back(mountPoint);
        }
    }
    return mounted;
}

}  // namespace veyrune
