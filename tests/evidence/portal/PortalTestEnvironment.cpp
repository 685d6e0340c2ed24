#include "PortalTestEnvironment.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

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

class PortalEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        ASSERT_TRUE(display && *display)
            << "no DISPLAY: run under scripts/with-test-services, which starts Xvfb";
        writeFile(folder_ / "bus.conf", busConfiguration);
        bus_ = std::make_unique<ChildProcess>(std::vector<std::string>{
            "dbus-daemon", "--config-file=" + (folder_ / "bus.conf").string(), "--nofork",
            "--print-address=1"});
        auto address = bus_->readLine();
        ASSERT_TRUE(address && !address->empty()) << "dbus-daemon gave no address";
        // Before Qt touches the bus, and inherited by the fake portal.
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address->c_str(), 1);
        qputenv("QT_QPA_PLATFORM", "xcb");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        bus_.reset();
    }

  private:
    TempDirectory folder_;
    std::unique_ptr<ChildProcess> bus_;
    int argc_ = 1;
    char name_[32] = "evidence_portal_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new PortalEnvironment);

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
