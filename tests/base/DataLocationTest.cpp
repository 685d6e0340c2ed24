#include <gtest/gtest.h>

#include "base/DataLocation.h"

using namespace veyrune;
using Folders = std::vector<std::filesystem::path>;

// An administrator's defaults are looked for only where the XDG rules say:
// absolute folders in their order, /etc/xdg when none is left.
TEST(DataLocation, SystemConfigFoldersKeepOrderAndSkipRelativeEntries) {
    struct Case {
        const char* value;
        Folders folders;
    } cases[] = {
        {nullptr, {"/etc/xdg"}},
        {"", {"/etc/xdg"}},
        {"/etc/company:/etc/xdg", {"/etc/company", "/etc/xdg"}},
        {"::/opt/site/etc:", {"/opt/site/etc"}},
        {"etc/relative:/etc/company", {"/etc/company"}},
        {"relative", {"/etc/xdg"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(configDirectoriesFrom(c.value), c.folders) << (c.value ? c.value : "(unset)");
    }
}
