#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/Clock.h"
#include "base/MainQueue.h"
#include "base/SerialQueue.h"
#include "base/TaskPool.h"
#include "evidence/CaptureTimerScheduling.h"
#include "evidence/EvidenceLibrary.h"
#include "evidence/ScreenSource.h"
#include "evidence/ScreenshotCapturing.h"

namespace veyrune {

// Takes one screenshot of the main display or of every display stitched side
// by side, and writes it as PNG into today's evidence folder. Displays are
// grabbed one after another, each on its own "Veyrune.ScreenshotCapturer.display.<id>"
// queue with a 5-second limit. Never throws: a failed capture answers nothing.
// Every collaborator must outlive the captures in flight.
class ScreenshotCapturer final : public ScreenshotCapturing {
  public:
    // Makes the serial queue with the given label for one display's grab.
    using QueueFactory = std::function<std::shared_ptr<SerialQueue>(const std::string& label)>;

    ScreenshotCapturer(ScreenSource& source, const EvidenceLibrary& library, const Clock& clock,
                       CaptureTimerScheduling& timers, TaskPool& pool, QueueFactory makeQueue,
                       MainQueue& mainQueue);

    // The "screenshotModeRaw" setting: 0 is the main display only, anything else all displays.
    static Mode modeFromSetting(std::int64_t raw);

    // Any thread. `completion` runs once on the main queue.
    void capture(Mode mode, Completion completion) override;
    // May block for a moment; call it off the main thread.
    bool hasScreenCapturePermission() { return source_.hasCapturePermission(); }

  private:
    struct Run;
    void chooseDisplays(std::shared_ptr<Run> run);
    void grabNext(std::shared_ptr<Run> run);
    void save(std::shared_ptr<Run> run);
    std::optional<ScreenFrame> imageToSave(const Run& run);
    void complete(const std::shared_ptr<Run>& run, std::optional<CaptureOutcome> outcome);

    ScreenSource& source_;
    const EvidenceLibrary& library_;
    const Clock& clock_;
    CaptureTimerScheduling& timers_;
    TaskPool& pool_;
    QueueFactory makeQueue_;
    MainQueue& mainQueue_;
};

}  // namespace veyrune
