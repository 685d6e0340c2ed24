#include "evidence/CameraPermissionText.h"

#include <gtest/gtest.h>

#include "evidence/VideoDeviceCameraAuthorization.h"
#include "support/TempDirectory.h"

namespace veyrune::test {
namespace {

using Status = CameraAuthorizationStatus;
using enum CameraPermissionReadiness;

TEST(CameraPermissionTextTest, OneTextPerStatusAndDisabledWins) {
    EXPECT_EQ(cameraPermissionText(false, Status::denied),
              (CameraPermissionText{"Disabled in Evidence settings", inactive}));
    EXPECT_EQ(cameraPermissionText(true, Status::authorized),
              (CameraPermissionText{"Camera permission is granted", ready}));
    EXPECT_EQ(cameraPermissionText(true, Status::notDetermined).text,
              "Camera permission has not been requested");
    EXPECT_EQ(cameraPermissionText(true, Status::restricted).text,
              "Camera permission is restricted");
    EXPECT_EQ(cameraPermissionText(true, Status::denied),
              (CameraPermissionText{"Camera permission is denied", attention}));
    EXPECT_EQ(cameraPermissionText(true, Status::unknown),
              (CameraPermissionText{"Camera permission status is unknown", attention}));
    EXPECT_EQ(cameraPermissionText(true, Status(42)).text, "Camera permission status is unknown");
}

TEST(VideoDeviceCameraAuthorizationTest, OpenableNodeAuthorizesUnopenableDeniesNoneIsUndecided) {
    TempDirectory dev;
    VideoDeviceCameraAuthorization authorization(dev.path());
    writeFile(dev / "audio0", "");
    EXPECT_EQ(authorization.status(), Status::notDetermined);

    // A folder cannot be opened for writing, not even by root.
    std::filesystem::create_directory(dev / "video0");
    EXPECT_EQ(authorization.status(), Status::denied);
    bool granted = true;
    authorization.requestAccess([&](bool answer) { granted = answer; });
    EXPECT_FALSE(granted);

    writeFile(dev / "video1", "");
    EXPECT_EQ(authorization.status(), Status::authorized);
    EXPECT_EQ(VideoDeviceCameraAuthorization(dev / "missing").status(), Status::notDetermined);
}

}  // namespace
}  // namespace veyrune::test
