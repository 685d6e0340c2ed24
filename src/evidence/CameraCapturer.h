#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "base/Clock.h"
#include "base/MainQueue.h"
#include "base/SerialQueue.h"
#include "evidence/CameraDevice.h"
#include "evidence/CaptureTimerScheduling.h"
#include "evidence/EvidenceLibrary.h"
#include "evidence/PhotoCapturing.h"

namespace veyrune {

// Takes one still photo with the default camera, brightens it and writes it as
// JPEG into today's evidence folder. At most 5 seconds per request. All state
// lives on `queue` ("Veyrune.CameraCapturer"); completions run on the main
// queue, exactly once per request. A new request replaces one in progress,
// whose requester gets nothing. Create with `make`; collaborators must outlive it.
class CameraCapturer final : public PhotoCapturing,
                             public std::enable_shared_from_this<CameraCapturer> {
  public:
    static constexpr const char* queueLabel = "Veyrune.CameraCapturer";
    static constexpr std::chrono::milliseconds warmUp{150};
    static constexpr std::chrono::milliseconds timeout{5000};

    struct Collaborators {
        SerialQueue& queue;
        MainQueue& mainQueue;
        CameraDevice& device;
        PhotoAdjusting& adjuster;
        CaptureTimerScheduling& timers;
        const EvidenceLibrary& library;
        const Clock& clock;
    };

    static std::shared_ptr<CameraCapturer> make(Collaborators collaborators);
    explicit CameraCapturer(Collaborators collaborators);
    // A request still in progress gets its answer, nothing, and its camera
    // session is stopped on the queue.
    ~CameraCapturer();
    CameraCapturer(const CameraCapturer&) = delete;
    CameraCapturer& operator=(const CameraCapturer&) = delete;

    // Any thread; returns at once.
    void capturePhoto(Completion completion) override;

  private:
    void start(Completion completion);
    void reset(Completion completion);
    // Cancels both timers and stops the camera session, if any.
    void stopSessionAndTimers();
    void takePhoto(std::uint64_t generation);
    void photoProcessed(std::optional<std::string> data, std::optional<std::string> error);
    void captureFinished(std::optional<std::string> error);
    std::optional<std::filesystem::path> store(const std::string& data);
    void finish(std::optional<std::filesystem::path> url);
    // Wraps queue work so that it runs only while the capturer exists and the
    // request it belongs to is still the current one.
    std::function<void()> onQueue(std::uint64_t generation,
                                  std::function<void(CameraCapturer&)> work);

    Collaborators c_;
    // Everything below is touched only on c_.queue.
    std::unique_ptr<CameraSession> session_;
    std::optional<PhotoDimensions> requestedPhotoDimensions_;
    std::optional<Completion> completion_;
    bool completionHandled_ = false;
    std::shared_ptr<CaptureTimer> timeout_;
    std::shared_ptr<CaptureTimer> warmUp_;
    std::uint64_t generation_ = 0;  // counts requests; stale callbacks carry an old one
};

}  // namespace veyrune
