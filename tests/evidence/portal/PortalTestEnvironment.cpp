#include "PortalTestEnvironment.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

#include "support/QtTestApplication.h"
#include "support/TempDirectory.h"

namespace veyrune::test {

namespace {

const char* const busConfiguration = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// The private bus, made before the application and ended at exit.
std::unique_ptr<ChildProcess> privateBus;

void startPrivateBus() {
    const char* display = std::getenv("DISPLAY");
    ASSERT_TRUE(display && *display)
        << "no DISPLAY: run under scripts/with-test-services, which starts Xvfb";
    static TempDirectory folder;
    writeFile(folder / "bus.conf", busConfiguration);
    privateBus = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--config-file=" + (folder / "bus.conf").string(),
                                 "--nofork", "--print-address=1"});
    auto address = privateBus->readLine();
    ASSERT_TRUE(address && !address->empty()) << "dbus-daemon gave no address";
    // Before Qt touches the bus, and inherited by the fake portal.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address->c_str(), 1);
    qputenv("QT_QPA_PLATFORM", "xcb");
}

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(
    new QtApplicationEnvironment<QGuiApplication>(startPrivateBus));

}  // namespace

std::unique_ptr<ChildProcess> startFakePortal(const std::string& mode,
                                              const std::filesystem::path& picture,
                                              const std::filesystem::path& folder) {
    std::string script =
        std::string(VEYRUNE_TESTS_SOURCE_DIR) + "/evidence/portal/fake_screenshot_portal.py";
    auto portal = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/python3", script, mode, picture, folder});
    if (portal->readLine() != "ready") {
        ADD_FAILURE() << "the fake portal did not start";
        return nullptr;
    }
    return portal;
}

}  // namespace veyrune::test
