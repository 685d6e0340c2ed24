#include "evidence/CameraPermissionText.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace veyrune::test
