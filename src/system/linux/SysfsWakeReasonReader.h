#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "system/WakeReasonProviding.h"

namespace veyrune {

// Names the source of the latest wake from sysfs: the interrupt in
// /sys/power/pm_wakeup_irq (by its handlers in /sys/kernel/irq/N/actions), else
// the most recently active wakeup source of /sys/class/wakeup. The name is one
// word the maintenance-wake rule understands ("lid", "pwrb", "keyboard", "rtc",
// "network", "wifi", "bluetooth", "usb"); unknown sources give no reason. The
// type is never known on Linux. Every path is read under `root`. Any thread.
class SysfsWakeReasonReader final : public WakeReasonProviding {
  public:
    explicit SysfsWakeReasonReader(std::filesystem::path root = "/");
    WakeReason currentWakeReason() override;

    // The word for a kernel name of a wakeup source or interrupt handler.
    static std::optional<std::string> wakeWord(const std::string& kernelName);

  private:
    std::optional<std::string> fromWakeupInterrupt() const;
    std::optional<std::string> fromWakeupSources() const;

    std::filesystem::path root_;
};

}  // namespace veyrune
