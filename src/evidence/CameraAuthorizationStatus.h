#pragma once

namespace veyrune {

// Whether the user can take camera photos. On Linux: authorized when a video
// device can be opened, denied when one exists but cannot be opened,
// notDetermined when there is none. `restricted` and `unknown` keep the
// five-way answer that the diagnostics rows speak in.
enum class CameraAuthorizationStatus { notDetermined, restricted, denied, authorized, unknown };

}  // namespace veyrune
