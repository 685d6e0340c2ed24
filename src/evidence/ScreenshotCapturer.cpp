#include "evidence/ScreenshotCapturer.h"

#include <vector>

#include "evidence/DesktopGeometry.h"
#include "evidence/DisplayFrameGrab.h"
#include "evidence/DisplaySelection.h"

namespace veyrune {

// One capture in flight: what to grab and the frames so far.
struct ScreenshotCapturer::Run {
    Mode mode;
    Completion completion;
    std::vector<ScreenDisplay> displays;  // grabbed in this order
    // Set when one picture of the whole desktop stands for this many displays.
    std::optional<int> desktopDisplayCount;
    std::size_t next = 0;
    std::vector<ScreenFrame> frames;
};

ScreenshotCapturer::ScreenshotCapturer(ScreenSource& source, const EvidenceLibrary& library,
                                       const Clock& clock, CaptureTimerScheduling& timers,
                                       TaskPool& pool, QueueFactory makeQueue, MainQueue& mainQueue)
    : source_(source),
      library_(library),
      clock_(clock),
      timers_(timers),
      pool_(pool),
      makeQueue_(std::move(makeQueue)),
      mainQueue_(mainQueue) {}

ScreenshotCapturer::Mode ScreenshotCapturer::modeFromSetting(std::int64_t raw) {
    return raw == 0 ? Mode::primaryOnly : Mode::allDisplaysStitched;
}

void ScreenshotCapturer::capture(Mode mode, Completion completion) {
    auto run = std::make_shared<Run>();
    run->mode = mode;
    run->completion = std::move(completion);
    pool_.run([this, run] {
        if (!source_.hasCapturePermission()) {
            complete(run, std::nullopt);
            return;
        }
        chooseDisplays(run);
    });
}

void ScreenshotCapturer::chooseDisplays(std::shared_ptr<Run> run) {
    source_.loadDisplays([this, run](std::optional<DisplayList> list) {
        DisplayList found = list.value_or(DisplayList{});
        run->displays = run->mode == Mode::allDisplaysStitched
                            ? displaysInOrder(std::move(found.displays))
                            : primaryDisplay(found);
        if (run->displays.empty()) {
            complete(run, std::nullopt);
            return;
        }
        if (run->mode == Mode::allDisplaysStitched &&
            source_.grabScope() == ScreenGrabScope::wholeDesktop) {
            run->desktopDisplayCount = int(run->displays.size());
            run->displays = {*desktopBounds(run->displays)};
        }
        grabNext(run);
    });
}

void ScreenshotCapturer::grabNext(std::shared_ptr<Run> run) {
    if (run->next == run->displays.size()) {
        pool_.run([this, run] { save(run); });
        return;
    }
    const ScreenDisplay& display = run->displays[run->next++];
    auto queue =
        makeQueue_(run->desktopDisplayCount
                       ? std::string("Veyrune.ScreenshotCapturer.desktop")
                       : "Veyrune.ScreenshotCapturer.display." + std::to_string(display.displayID));
    DisplayFrameGrab::start(source_, timers_, std::move(queue), display,
                            [this, run](std::optional<ScreenFrame> frame) {
                                if (frame) {
                                    run->frames.push_back(std::move(*frame));
                                }
                                grabNext(run);
                            });
}

std::optional<ScreenFrame> ScreenshotCapturer::imageToSave(const Run& run) {
    if (run.mode == Mode::allDisplaysStitched && run.frames.size() > 1) {
        std::vector<std::pair<int, int>> sizes;
        for (const auto& frame : run.frames) {
            sizes.emplace_back(frame->width(), frame->height());
        }
        if (auto layout = stitchLayout(sizes)) {
            if (auto stitched = source_.compose(*layout, run.frames)) {
                return stitched;
            }
        }
    }
    return run.frames.front();
}

void ScreenshotCapturer::save(std::shared_ptr<Run> run) {
    if (run->frames.empty()) {
        complete(run, std::nullopt);
        return;
    }
    auto png = source_.encodePNG(*imageToSave(*run));
    if (!png) {
        complete(run, std::nullopt);
        return;
    }
    try {
        auto url = library_.writeEvidence(clock_.now(), "png", *png);
        int displayCount = run->desktopDisplayCount.value_or(int(run->frames.size()));
        complete(run, CaptureOutcome{url, displayCount});
    } catch (const FileError&) {
        complete(run, std::nullopt);
    }
}

void ScreenshotCapturer::complete(const std::shared_ptr<Run>& run,
                                  std::optional<CaptureOutcome> outcome) {
    mainQueue_.post([completion = std::move(run->completion), outcome = std::move(outcome)] {
        completion(outcome);
    });
}

}  // namespace veyrune
