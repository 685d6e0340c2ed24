// The testbed needs umockdev's preload: without it the program runs itself
// again under umockdev-wrapper.
#include <umockdev.h>

#include <gtest/gtest.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "support/QtTestApplication.h"
#include "system/SystemEventDetails.h"
#include "system/linux/UdevUsbMonitor.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

// Replaces the process with itself under umockdev-wrapper, same arguments.
[[noreturn]] void restartUnderPreload() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> arguments;
    for (std::string argument; std::getline(file, argument, '\0');) {
        arguments.push_back(argument);
    }
    std::vector<char*> argv;
    std::string wrapper = "umockdev-wrapper";
    argv.push_back(wrapper.data());
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    std::fprintf(stderr, "cannot run umockdev-wrapper (package umockdev)\n");
    std::abort();
}

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment<QCoreApplication>([] {
        const char* preload = std::getenv("LD_PRELOAD");
        if (!preload || std::string(preload).find("umockdev") == std::string::npos) {
            restartUnderPreload();
        }
    }));

std::string usbDevice(const std::string& port, const std::string& attributes) {
    return "P: /devices/pci0000:00/0000:00:14.0/usb1/" + port +
           "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n" + attributes;
}

using Details = std::map<std::string, std::string>;

class UdevUsbMonitorTest : public ::testing::Test {
  protected:
    UdevUsbMonitorTest() : testbed(umockdev_testbed_new()) {}
    ~UdevUsbMonitorTest() override { g_object_unref(testbed); }

    void add(const std::string& description) {
        GError* error = nullptr;
        ASSERT_TRUE(umockdev_testbed_add_from_string(testbed, description.c_str(), &error))
            << (error ? error->message : "");
    }
    void remove(const std::string& port) {
        const std::string path = "/sys/devices/pci0000:00/0000:00:14.0/usb1/" + port;
        umockdev_testbed_uevent(testbed, path.c_str(), "remove");
        umockdev_testbed_remove_device(testbed, path.c_str());
    }
    void startMonitor() {
        ASSERT_TRUE(monitor.open());
        for (auto direction : {UsbDirection::arrival, UsbDirection::removal}) {
            monitor.observe(direction, [this, direction](const auto& devices) {
                for (const auto& device : devices) {
                    events.emplace_back(direction, usbEventDetails(device));
                }
            });
        }
    }

    UMockdevTestbed* testbed;
    UdevUsbMonitor monitor;
    std::vector<std::pair<UsbDirection, Details>> events;
};

}  // namespace

TEST_F(UdevUsbMonitorTest, ArrivalAndRemovalNameTheDeviceAlikeAndPresentDevicesRaiseNothing) {
    add(usbDevice("1-1", "A: idVendor=046d\nA: idProduct=c52b\nA: product=Receiver\n"));
    add(usbDevice("1-2", "A: idVendor=1d6b\nA: idProduct=0002\n"));
    startMonitor();
    add(usbDevice(
        "1-3",
        "A: idVendor=05ac\nA: idProduct=12a8\nA: manufacturer=Apple Inc.\n"
        "A: product=iPhone\nA: serial=ABC123\nE: ID_VENDOR_ID=05ac\nE: ID_MODEL_ID=12a8\n"));
    ASSERT_TRUE(waitForEvents([&] { return events.size() == 1; }));
    remove("1-3");
    remove("1-1");
    ASSERT_TRUE(waitForEvents([&] { return events.size() == 3; }));
    const Details iPhone = {
        {"name", "iPhone"}, {"vendorID", "0x05AC"}, {"productID", "0x12A8"}, {"serial", "ABC123"}};
    const std::vector<std::pair<UsbDirection, Details>> expected = {
        {UsbDirection::arrival, iPhone},
        {UsbDirection::removal, iPhone},
        {UsbDirection::removal,
         {{"name", "Receiver"}, {"vendorID", "0x046D"}, {"productID", "0xC52B"}}},
    };
    EXPECT_EQ(events, expected);
}

TEST_F(UdevUsbMonitorTest, OtherUsbNodesAreNotDevices) {
    startMonitor();
    add("P: /devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0\nE: SUBSYSTEM=usb\n"
        "E: DEVTYPE=usb_interface\nA: bInterfaceClass=03\n");
    add(usbDevice("1-5", "A: idVendor=0bda\nA: idProduct=8153\nA: manufacturer=Realtek\n"));
    ASSERT_TRUE(waitForEvents([&] { return !events.empty(); }));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].second.at("name"), "Realtek");
}
