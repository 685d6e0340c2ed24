#include <gtest/gtest.h>

#include "system/DisplayNameCache.h"

using namespace veyrune;

// Display events must name the monitor the user plugged in, not the port.
TEST(DisplayName, NamesTheMonitorAndFallsBackToTheConnector) {
    struct Row {
        const char* manufacturer;
        const char* model;
        const char* connector;
        const char* expected;
    } rows[] = {
        {"Dell Inc.", "U2720Q", "DP-2", "Dell Inc. U2720Q"},
        {"", "U2720Q", "DP-2", "U2720Q"},
        {"Dell Inc.", "", "HDMI-1", "HDMI-1"},
        {"", "", "HDMI-1", "HDMI-1"},
        {"  ", " \t", " HDMI-1 ", "HDMI-1"},
        {" LG Electronics ", "  LG ULTRAFINE ", "DP-1", "LG ULTRAFINE"},
        {"Dell Inc.", "DELL U2720Q", "DP-2", "DELL U2720Q"},
        {"Unknown", "Unknown", "HEADLESS-1", "HEADLESS-1"},
        // A maker's word inside the model (not at its start) is no repetition.
        {"Acer Technologies", "XB271HU Acer", "DP-3", "Acer Technologies XB271HU Acer"},
        {"", "", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.manufacturer) + "|" + row.model + "|" + row.connector);
        EXPECT_EQ(displayName(row.manufacturer, row.model, row.connector), row.expected);
    }
}
