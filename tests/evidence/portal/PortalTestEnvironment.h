#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "support/ChildProcess.h"
#include "support/QtTestLoop.h"

namespace veyrune::test {

// The portal tests run on a private session bus of their own (no service
// files, so nothing is ever activated on it) and with one QGuiApplication on
// the X11 display of scripts/with-test-services, whose two monitors give the
// desktop its shape: LEFT 1920x1080+0+0 (primary) and RIGHT 1280x1024+1920+0.

// Runs tests/evidence/portal/fake_screenshot_portal.py on that bus, answering
// with `mode` and copies of `picture` written into `folder`. Returns once the
// fake owns the portal's name; null (with a test failure) if it never does.
std::unique_ptr<ChildProcess> startFakePortal(const std::string& mode,
                                              const std::filesystem::path& picture,
                                              const std::filesystem::path& folder);

}  // namespace veyrune::test
