#include "evidence/V4L2CapabilityQuery.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace veyrune {

VideoNodeQuery V4L2CapabilityQuery::query(const std::filesystem::path& node) const {
    VideoNodeQuery result;
    int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.openError = errno;
        return result;
    }
    v4l2_capability capability{};
    if (::ioctl(fd, VIDIOC_QUERYCAP, &capability) == 0) {
        result.capabilities = (capability.capabilities & V4L2_CAP_DEVICE_CAPS)
                                  ? capability.device_caps
                                  : capability.capabilities;
    }
    ::close(fd);
    result.readWrite = ::faccessat(AT_FDCWD, node.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
    return result;
}

}  // namespace veyrune
