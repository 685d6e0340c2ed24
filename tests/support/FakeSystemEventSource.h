#pragma once

#include <map>
#include <string>
#include <vector>

#include "system/SystemEventSource.h"

namespace veyrune::test {

// A system event source driven by the test: it records the order of the
// registrations, and its `send...` calls play the platform's signals.
class FakeSystemEventSource final : public SystemEventSource {
  public:
    void observe(SystemSignal signal, std::function<void()> handler) override {
        registrations.push_back("signal");
        signalHandlers[signal].push_back(std::move(handler));
    }
    void observeMounts(std::function<void(std::optional<std::string>)> handler) override {
        registrations.push_back("mount");
        mountHandler = std::move(handler);
    }
    void observeUnmounts(std::function<void(std::optional<std::string>)> handler) override {
        registrations.push_back("unmount");
        unmountHandler = std::move(handler);
    }
    bool openUsbNotifications() override {
        registrations.push_back("usb");
        return usbAvailable;
    }
    bool observeUsbDevices(
        UsbDirection direction,
        std::function<void(const std::vector<UsbDeviceProperties>&)> handler) override {
        registrations.push_back(direction == UsbDirection::arrival ? "usb arrival" : "usb removal");
        usbHandlers[direction] = std::move(handler);
        return true;
    }
    std::vector<ScreenDescription> currentScreens() override { return screens; }
    void observeDisplayReconfiguration(
        std::function<void(std::uint32_t, std::uint32_t)> handler) override {
        registrations.push_back("displays");
        displayHandler = std::move(handler);
    }
    void observeDefaultAudioOutput(std::function<void()> handler) override {
        registrations.push_back("audio");
        audioHandler = std::move(handler);
    }
    std::optional<std::string> defaultAudioOutputName() override { return audioOutputName; }
    std::vector<PowerSourceDescription> powerSources() override { return powerSourceList; }
    std::optional<std::string> wifiSSID() override { return ssid; }
    std::optional<std::string> machineName() override { return machine; }
    std::string userName() override { return user; }

    void send(SystemSignal signal) {
        for (auto& handler : signalHandlers[signal]) {
            handler();
        }
    }
    void sendUsb(UsbDirection direction, const std::vector<UsbDeviceProperties>& devices) {
        if (usbHandlers.contains(direction)) {
            usbHandlers[direction](devices);
        }
    }
    void sendDisplay(std::uint32_t displayID, std::uint32_t flags) {
        displayHandler(displayID, flags);
    }

    std::vector<std::string> registrations;
    bool usbAvailable = true;
    std::vector<ScreenDescription> screens;
    std::optional<std::string> audioOutputName;
    std::vector<PowerSourceDescription> powerSourceList;
    std::optional<std::string> ssid;
    std::optional<std::string> machine;
    std::string user = "tester";

    std::map<SystemSignal, std::vector<std::function<void()>>> signalHandlers;
    std::function<void(std::optional<std::string>)> mountHandler;
    std::function<void(std::optional<std::string>)> unmountHandler;
    std::map<UsbDirection, std::function<void(const std::vector<UsbDeviceProperties>&)>>
        usbHandlers;
    std::function<void(std::uint32_t, std::uint32_t)> displayHandler;
    std::function<void()> audioHandler;
};

}  // namespace veyrune::test
