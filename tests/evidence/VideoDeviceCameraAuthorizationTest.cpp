#include "evidence/VideoDeviceCameraAuthorization.h"

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <cerrno>

#include "support/FakeVideoCapabilityQuery.h"
#include "support/TempDirectory.h"

namespace veyrune::test {
namespace {

using Status = CameraAuthorizationStatus;

constexpr std::uint32_t capture = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
constexpr std::uint32_t captureMplane = V4L2_CAP_VIDEO_CAPTURE_MPLANE | V4L2_CAP_STREAMING;
constexpr std::uint32_t metadata = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
constexpr std::uint32_t loopbackOutput = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_STREAMING;

VideoNodeQuery opens(std::uint32_t capabilities, bool readWrite) {
    return {0, capabilities, readWrite};
}
VideoNodeQuery refuses(int error) {
    return {error, std::nullopt, false};
}

TEST(VideoDeviceCameraAuthorizationTest, OnlyUsableCaptureNodesAuthorize) {
    struct Case {
        const char* name;
        std::map<std::string, VideoNodeQuery> nodes;
        Status status;
    } cases[] = {
        {"no video nodes", {}, Status::notDetermined},
        {"names that are not video nodes",
         {{"video", opens(capture, true)},
          {"videoX", opens(capture, true)},
          {"media0", opens(capture, true)}},
         Status::notDetermined},
        {"camera we may use", {{"video0", opens(capture, true)}}, Status::authorized},
        {"multi-planar camera", {{"video3", opens(captureMplane, true)}}, Status::authorized},
        {"camera readable but not writable", {{"video0", opens(capture, false)}}, Status::denied},
        {"node refusing the open", {{"video0", refuses(EACCES)}}, Status::denied},
        {"metadata node only", {{"video1", opens(metadata, true)}}, Status::notDetermined},
        {"output-only loopback", {{"video9", opens(loopbackOutput, true)}}, Status::notDetermined},
        {"node gone since the listing", {{"video0", refuses(ENOENT)}}, Status::notDetermined},
        {"not a V4L2 device", {{"video0", {0, std::nullopt, true}}}, Status::notDetermined},
        {"usable metadata node beside a refused camera",
         {{"video0", refuses(EACCES)}, {"video1", opens(metadata, true)}},
         Status::denied},
        {"usable camera beside refused nodes",
         {{"video0", opens(capture, false)},
          {"video1", refuses(EACCES)},
          {"video2", opens(capture, true)}},
         Status::authorized},
        {"loopback output beside a camera",
         {{"video0", opens(loopbackOutput, true)}, {"video1", opens(capture, true)}},
         Status::authorized},
    };
    for (const auto& c : cases) {
        TempDirectory dev;
        FakeVideoCapabilityQuery query;
        for (const auto& [name, answer] : c.nodes) {
            writeFile(dev / name, "");
            query.answers[name] = answer;
        }
        VideoDeviceCameraAuthorization authorization(query, dev.path());
        EXPECT_EQ(authorization.status(), c.status) << c.name;
        bool granted = !(c.status == Status::authorized);
        authorization.requestAccess([&](bool answer) { granted = answer; });
        EXPECT_EQ(granted, c.status == Status::authorized) << c.name;
    }
    FakeVideoCapabilityQuery query;
    EXPECT_EQ(VideoDeviceCameraAuthorization(query, "/nonexistent/dev").status(),
              Status::notDetermined);
}

TEST(VideoDeviceCameraAuthorizationTest, AsksTheDevicesAgainOnlyWhenTheNodesChange) {
    TempDirectory dev;
    FakeVideoCapabilityQuery query;
    query.answers = {{"video0", opens(capture, false)}, {"video1", opens(metadata, true)}};
    writeFile(dev / "video0", "");
    writeFile(dev / "video1", "");
    VideoDeviceCameraAuthorization authorization(query, dev.path());

    EXPECT_EQ(authorization.status(), Status::denied);
    int asked = query.queries;
    EXPECT_EQ(authorization.status(), Status::denied);
    EXPECT_EQ(query.queries, asked) << "an unchanged /dev is not probed again";

    // The user is given the camera: its permissions change.
    query.answers["video0"] = opens(capture, true);
    std::filesystem::permissions(dev / "video0", std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(authorization.status(), Status::authorized);

    // The camera is unplugged.
    std::filesystem::remove(dev / "video0");
    EXPECT_EQ(authorization.status(), Status::notDetermined);
    asked = query.queries;
    EXPECT_EQ(authorization.status(), Status::notDetermined);
    EXPECT_EQ(query.queries, asked);
}

}  // namespace
}  // namespace veyrune::test
