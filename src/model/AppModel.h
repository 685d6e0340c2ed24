#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/FileSystem.h"
#include "base/MainQueue.h"
#include "base/TaskPool.h"
#include "delivery/AlertDispatcher.h"
#include "delivery/DeliveryEnqueueOutcome.h"
#include "evidence/CameraAuthorization.h"
#include "evidence/PhotoCapturing.h"
#include "evidence/ScreenshotCapturing.h"
#include "model/SettingsBridge.h"
#include "pipeline/EvidenceCaptureRequest.h"
#include "record/EvidenceItemStore.h"
#include "record/RawSystemEvent.h"
#include "record/SecurityEventStore.h"
#include "system/MonotonicClock.h"
#include "system/PowerManagerRegistration.h"
#include "system/SleepGateStatus.h"
#include "system/SleepGateThreads.h"
#include "system/SystemPowerSleepNotifier.h"

namespace veyrune {

// What the model needs of the delivery manager.
struct DeliveryHooks {
    // Queues one event for every enabled channel; the outcome arrives on any thread.
    std::function<void(const SecurityEvent&, std::function<void(DeliveryEnqueueOutcome)>)>
        enqueueWithOutcome;
    // Starts a processing pass over the outbox.
    std::function<void()> flushNow;
    // No pending or sending record. Any thread.
    std::function<bool()> isQueueEmpty;
};

// The one application model: the armed state, the recent events, the status
// line and the capture switches. Runs the pipeline for every raw event, hands
// alerts to the dispatcher, captures evidence and links it, and installs the
// sleep hold. Lives on the main thread: every operation is called there and
// every completion comes back there. Observers are told after a published field
// changes. Create with `make`; collaborators must outlive it; callbacks hold it
// weakly.
class AppModel : public std::enable_shared_from_this<AppModel> {
  public:
    struct Dependencies {
        SecurityEventStore& eventStore;
        EvidenceItemStore& evidenceStore;
        SettingsBridge& settings;
        const Clock& clock;
        MainQueue& mainQueue;
        FileSystem& fileSystem;
        std::function<EventContext()> currentEventContext;
        std::shared_ptr<AlertDispatcher> alertDispatcher;
        DeliveryHooks delivery;
        ScreenshotCapturing& screenshots;
        PhotoCapturing& camera;
        CameraAuthorization& cameraAuthorization;
        // The sleep hold: the power manager, the process-wide status, and
        // what the gates wait with.
        PowerManagerRegistration& power;
        SleepGateStatus& sleepGateStatus;
        MonotonicClock& monotonicClock;
        TaskPool& tasks;
    };

    using ObserverID = std::uint64_t;
    static constexpr std::size_t recentEventLimit = 5;
    static constexpr double captureThrottleSeconds = 5.0;

    static std::shared_ptr<AppModel> make(Dependencies dependencies);
    ~AppModel();
    AppModel(const AppModel&) = delete;
    AppModel& operator=(const AppModel&) = delete;

    // Published fields.
    bool isArmed() const { return isArmed_; }
    void setArmed(bool armed);
    const std::vector<SecurityEvent>& recentEvents() const { return recentEvents_; }
    // "Clear Recent Activity": the event log is not touched.
    void clearRecentEvents();
    const std::optional<std::string>& lastStatusMessage() const { return lastStatusMessage_; }
    // The newest recent event's summary, else the status line.
    std::optional<std::string> latestActivityText() const;
    bool isDeveloperModeEnabled() const { return isDeveloperModeEnabled_; }
    bool isSleepGateActive() const { return isSleepGateActive_; }
    bool cameraCaptureInFlight() const { return cameraCaptureInFlight_; }

    // The four trigger switches, kept in the preferences.
    bool captureUSB() const { return deps_.settings.value(Settings::captureUSB); }
    bool captureVolumes() const { return deps_.settings.value(Settings::captureVolumes); }
    bool captureDisplay() const { return deps_.settings.value(Settings::captureDisplay); }
    bool captureAudio() const { return deps_.settings.value(Settings::captureAudio); }
    void setTrigger(BoolSetting trigger, bool on);

    ObserverID addObserver(std::function<void()> observer);
    void removeObserver(ObserverID id);

    // Processes one raw event. Main thread.
    void handle(const RawSystemEvent& raw);
    void armBeforeSleep(bool enabled);
    void captureScreenshot(const std::string& reason, std::optional<Uuid> eventID);
    void captureCamera(const std::string& reason, bool requireArmed, std::optional<Uuid> eventID);
    // Links a saved file to its event; true without writing when there is no event.
    bool saveEvidenceLink(const std::filesystem::path& file, EvidenceKind kind,
                          std::optional<Uuid> eventID);
    // "Queue Test Delivery".
    void sendTestAlert();
    // "Test Camera Snapshot": only when camera capture is on; needs no arming.
    void testCameraSnapshot();
    // "Test Screenshot": a screenshot with no event, while armed.
    void testScreenshot();
    // Work that must finish before sleep, after the alerts' flush (sealing);
    // it calls `done` once, on any thread. Set before installSleepGate().
    void setBeforeSleep(std::function<void(std::function<void()> done)> work) {
        beforeSleep_ = std::move(work);
    }
    // Registers for will-sleep notices once; true when the hold is in place.
    bool installSleepGate();
    // Flushes held alerts into the outbox, then starts a delivery pass;
    // `done` runs once (any thread) when both have finished.
    void flushBufferedAlerts(std::function<void()> done);

    AlertDispatcher& alertDispatcher() { return *deps_.alertDispatcher; }

  private:
    explicit AppModel(Dependencies dependencies);

    void recordEvent(const SecurityEvent& event);
    void dispatchEvidence(const EvidenceCaptureRequest& request);
    void screenshotFinished(const std::string& reason, bool stitched, std::optional<Uuid> eventID,
                            std::optional<ScreenshotCapturing::CaptureOutcome> outcome);
    void takePhoto(const std::string& reason, std::optional<Uuid> eventID);
    void photoFinished(const std::string& reason, std::optional<Uuid> eventID,
                       std::optional<std::filesystem::path> file);
    void cameraDeniedResult(const std::string& reason);
    void willSleep(std::function<void()> allowSleep);
    void setStatus(std::string text);
    void changed();

    Dependencies deps_;
    // Main thread only, like every field below.
    bool isArmed_ = false;
    std::vector<SecurityEvent> recentEvents_;
    std::optional<std::string> lastStatusMessage_;
    Instant lastScreenshotCaptureAt_;
    Instant lastCameraCaptureAt_;
    bool cameraCaptureInFlight_ = false;
    bool isDeveloperModeEnabled_ = false;
    bool isSleepGateActive_ = false;
    std::unique_ptr<SystemPowerSleepNotifier> sleepNotifier_;
    std::function<void(std::function<void()>)> beforeSleep_;  // read by each sleep gate
    std::map<ObserverID, std::function<void()>> observers_;
    ObserverID nextObserverID_ = 1;
    // Last: joined before anything a running gate might use goes away.
    SleepGateThreads sleepGates_;
};

}  // namespace veyrune
