#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "base/PosixFileSystem.h"
#include "evidence/AsioCaptureTimerScheduler.h"
#include "evidence/ScreenshotCapturer.h"
#include "support/ManualClock.h"
#include "support/QtTestLoop.h"
#include "support/TempDirectory.h"

namespace veyrune::test {

// The screenshot capturer over a real screen source, on asio queues and
// timers, saving into a temporary evidence folder at a fixed time. The source
// must outlive the chain. GUI thread.
struct RealScreenshotChain {
    using Outcome = ScreenshotCapturer::CaptureOutcome;

    RealScreenshotChain(ScreenSource& source, Instant now)
        : clock(now),
          capturer(
              source, library, clock, timers, pool,
              [this](const std::string& label) {
                  return std::make_shared<AsioSerialQueue>(pool.pool(), label);
              },
              mainQueue) {}

    // Captures and runs the event loop until the answer came.
    std::optional<Outcome> capture(ScreenshotCapturer::Mode mode) {
        bool answered = false;
        std::optional<Outcome> outcome;
        capturer.capture(mode, [&](std::optional<Outcome> result) {
            answered = true;
            outcome = result;
        });
        EXPECT_TRUE(waitForEvents([&] { return answered; }));
        return outcome;
    }

    TempDirectory temp;
    ManualClock clock;
    PosixFileSystem fileSystem;
    EvidenceLibrary library{fileSystem, clock, temp / "Evidence"};
    AsioTaskPool pool{2};
    AsioCaptureTimerScheduler timers{pool.pool()};
    GuiMainQueue mainQueue;
    ScreenshotCapturer capturer;
};

}  // namespace veyrune::test
