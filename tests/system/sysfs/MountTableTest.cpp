#include "system/linux/MountTable.h"

#include <gtest/gtest.h>

using namespace veyrune;

TEST(MountTable, KeepsOnlyUserVisibleVolumesByMountPoint) {
    const char* mountInfo =
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "23 22 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
        "24 22 0:5 / /dev rw,nosuid shared:2 - devtmpfs udev rw,size=8M\n"
        "25 22 0:22 / /run rw shared:5 - tmpfs tmpfs rw\n"
        "26 22 0:23 / /tmp/scratch rw - tmpfs none rw\n"
        "40 22 7:0 / /media/me/My\\040Disk rw,nosuid shared:30 - ext4 /dev/loop0 rw\n"
        "41 22 0:50 / /mnt/share rw - nfs4 server:/export rw,vers=4.2\n"
        "42 22 0:51 / /mnt/smb rw - cifs //nas/films rw\n"
        "43 22 0:52 / /media/me/STICK rw - fuseblk /dev/sdb1 rw\n"
        "44 22 0:53 / /home/me/remote rw - fuse.sshfs me@host:/ rw\n"
        "45 22 0:54 / /run/user/1000/doc rw - fuse.portal portal rw\n"
        "46 22 0:55 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
        "47 22 0:56 / /sys/fs/fuse/connections rw - fusectl fusectl rw\n"
        "garbage line\n"
        "48 22 0:57 / /broken rw no-separator ext4 /dev/sdc1 rw\n";
    const auto table = MountTable::parse(mountInfo);
    std::vector<std::string> mountPoints;
    for (const auto& [mountPoint, entry] : table.volumes()) {
        mountPoints.push_back(mountPoint);
    }
    EXPECT_EQ(mountPoints, (std::vector<std::string>{"/", "/home/me/remote", "/media/me/My Disk",
                                                     "/media/me/STICK", "/mnt/share", "/mnt/smb"}));
}

TEST(MountTable, DiffGivesMountedAndUnmountedPoints) {
    const auto before = MountTable::parse(
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 8:17 / /media/a rw - ext4 /dev/sdb1 rw\n");
    const auto after = MountTable::parse(
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "3 1 8:33 / /media/b rw - vfat /dev/sdc1 rw\n"
        "4 1 0:40 / /tmp/t rw - tmpfs none rw\n");
    EXPECT_EQ(after.mountedSince(before), (std::vector<std::string>{"/media/b"}));
    EXPECT_EQ(before.mountedSince(after), (std::vector<std::string>{"/media/a"}));
}
