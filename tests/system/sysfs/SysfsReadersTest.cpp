#include <gtest/gtest.h>

#include "support/TempDirectory.h"
#include "system/SystemEventDetails.h"
#include "system/linux/SysfsPowerSupplyReader.h"
#include "system/linux/SysfsWakeReasonReader.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

void writeTree(const TempDirectory& root, const std::map<std::string, std::string>& files) {
    for (const auto& [path, contents] : files) {
        writeFile(root / path, contents + "\n");
    }
}

}  // namespace

TEST(SysfsPowerSupplyReader, BatteriesGiveTheContextsPercent) {
    using Files = std::map<std::string, std::string>;
    // A supply's files: its type, then "now" and "full" of `measure` (energy or charge).
    auto supply = [](const char* name, const char* type, const char* measure = nullptr,
                     const char* now = nullptr, const char* full = nullptr) {
        const std::string base = std::string("sys/class/power_supply/") + name + "/";
        Files files{{base + "type", type}};
        if (measure) {
            files[base + measure + "_now"] = now;
            files[base + measure + "_full"] = full;
        }
        return files;
    };
    auto merge = [](Files a, const Files& b) {
        a.insert(b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* name;
        Files files;
        std::optional<std::int64_t> percent;
    };
    const Case cases[] = {
        {"energy 50 of 100", supply("BAT0", "Battery", "energy", "50", "100"), 50},
        {"charge, mains ignored",
         merge(supply("AC", "Mains"), supply("BAT1", "Battery", "charge", "4999", "5000")), 99},
        {"max 0 skipped for the next battery",
         merge(supply("BAT0", "Battery", "energy", "10", "0"),
               supply("BAT1", "Battery", "energy", "30", "40")),
         75},
        {"max 0 only", supply("BAT0", "Battery", "energy", "10", "0"), std::nullopt},
        {"unreadable value", supply("BAT0", "Battery", "energy", "n/a", "100"), std::nullopt},
        {"no supply", {{"sys/class/other", ""}}, std::nullopt},
    };
    for (const auto& c : cases) {
        TempDirectory root;
        writeTree(root, c.files);
        EXPECT_EQ(batteryPercent(SysfsPowerSupplyReader(root.path()).powerSources()), c.percent)
            << c.name;
    }
}

TEST(SysfsWakeReasonReader, NamesTheWakeSourceInWordsOfTheMaintenanceRule) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        std::optional<std::string> reason;
    };
    auto source = [](const char* dir, const char* name, const char* events, const char* changed) {
        const std::string base = std::string("sys/class/wakeup/") + dir + "/";
        return std::map<std::string, std::string>{{base + "name", name},
                                                  {base + "event_count", events},
                                                  {base + "last_change_ms", changed}};
    };
    auto merge = [](std::map<std::string, std::string> a,
                    const std::map<std::string, std::string>& b) {
        a.insert(b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {"keyboard interrupt",
         {{"sys/power/pm_wakeup_irq", "1"}, {"sys/kernel/irq/1/actions", "i8042"}},
         "keyboard"},
        {"rtc interrupt shared",
         {{"sys/power/pm_wakeup_irq", "8"}, {"sys/kernel/irq/8/actions", "foo,rtc0"}},
         "rtc"},
        {"ACPI interrupt: the latest wakeup source decides",
         merge(merge({{"sys/power/pm_wakeup_irq", "9"}, {"sys/kernel/irq/9/actions", "acpi"}},
                     source("wakeup0", "PNP0C0D:00", "3", "9000")),
               source("wakeup1", "rtc0", "5", "100")),
         "lid"},
        {"no interrupt; sources never active are ignored",
         merge(source("wakeup0", "PNP0C0C:00", "0", "99999"),
               source("wakeup1", "alarmtimer.0.auto", "2", "10")),
         "rtc"},
        {"USB host controller", source("wakeup3", "0000:00:14.0", "1", "5"), std::nullopt},
        {"xhci interrupt",
         {{"sys/power/pm_wakeup_irq", "30"}, {"sys/kernel/irq/30/actions", "xhci_hcd"}},
         "usb"},
        {"wifi", source("wakeup4", "wlp2s0", "1", "5"), "wifi"},
        {"nothing known", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        TempDirectory root;
        writeTree(root, c.files);
        const auto wake = SysfsWakeReasonReader(root.path()).currentWakeReason();
        EXPECT_EQ(wake.reason, c.reason) << c.name;
        EXPECT_EQ(wake.type, std::nullopt) << c.name;
    }
}
