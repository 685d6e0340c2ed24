#include "QtTestEnvironment.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <memory>

#include "support/QtTestApplication.h"

namespace veyrune::test {

namespace {

// One QGuiApplication on the X11 display for the whole program; the display
// is the one scripts/with-test-services starts.
[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment<QGuiApplication>([] {
        const char* display = std::getenv("DISPLAY");
        ASSERT_TRUE(display && *display)
            << "no DISPLAY: run under scripts/with-test-services, which starts Xvfb";
        qputenv("QT_QPA_PLATFORM", "xcb");
    }));

}  // namespace

}  // namespace veyrune::test
