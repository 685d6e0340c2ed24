#pragma once

// The display tests run with one QGuiApplication on the X11 display that
// scripts/with-test-services starts (set up in QtTestEnvironment.cpp).
#include "support/QtTestLoop.h"
