#include "model/AppModel.h"

#include "evidence/FileURL.h"
#include "model/StatusTexts.h"
#include "pipeline/EventPipelineRuntime.h"
#include "system/SystemSleepGate.h"

namespace veyrune {

std::shared_ptr<AppModel> AppModel::make(Dependencies dependencies) {
    return std::shared_ptr<AppModel>(new AppModel(std::move(dependencies)));
}

AppModel::AppModel(Dependencies dependencies)
    : deps_(std::move(dependencies)),
      lastScreenshotCaptureAt_(distantPast()),
      lastCameraCaptureAt_(distantPast()),
      isDeveloperModeEnabled_(deps_.settings.value(Settings::developerMode)) {}

AppModel::~AppModel() = default;

void AppModel::setArmed(bool armed) {
    if (isArmed_ != armed) {
        isArmed_ = armed;
        changed();
    }
}

void AppModel::clearRecentEvents() {
    recentEvents_.clear();
    changed();
}

std::optional<std::string> AppModel::latestActivityText() const {
    if (!recentEvents_.empty()) {
        return recentEvents_.front().summary;
    }
    return lastStatusMessage_;
}

void AppModel::setTrigger(BoolSetting trigger, bool on) {
    deps_.settings.set(trigger, on);
    changed();
}

AppModel::ObserverID AppModel::addObserver(std::function<void()> observer) {
    auto id = nextObserverID_++;
    observers_.emplace(id, std::move(observer));
    return id;
}

void AppModel::removeObserver(ObserverID id) {
    observers_.erase(id);
}

void AppModel::handle(const RawSystemEvent& raw) {
    if (raw.kind == SecurityEventKind::willSleep) {
        armBeforeSleep(deps_.settings.value(Settings::autoArmOnSleep));
        deps_.alertDispatcher->flushForSleep([] {});
    }
    std::weak_ptr<AppModel> weak = weak_from_this();
    const auto& settings = deps_.settings;
    EventPipelineRuntime runtime{
        EventPipeline{},
        deps_.eventStore,
        deps_.currentEventContext,
        [this, &settings] {
            return EventPipelineConfiguration{isArmed_,
                                              settings.value(Settings::captureCamera),
                                              settings.value(Settings::captureScreenshots),
                                              captureUSB(),
                                              captureVolumes(),
                                              captureDisplay(),
                                              captureAudio(),
                                              settings.value(Settings::alertOnMaintenanceWake)};
        },
        [weak](const SecurityEvent& event) {
            if (auto model = weak.lock()) {
                model->recordEvent(event);
            }
        },
        [weak](const AlertCandidate& candidate) {
            if (auto model = weak.lock()) {
                model->deps_.alertDispatcher->submit(candidate);
            }
        },
        [weak](const EvidenceCaptureRequest& request) {
            if (auto model = weak.lock()) {
                model->dispatchEvidence(request);
            }
        },
        [](const std::exception&) {
            // The event is dropped; the log's own state tells the timeline.
        },
    };
    runtime.handle(raw);
}

void AppModel::recordEvent(const SecurityEvent& event) {
    recentEvents_.insert(recentEvents_.begin(), event);
    if (recentEvents_.size() > recentEventLimit) {
        recentEvents_.resize(recentEventLimit);
    }
    changed();
}

void AppModel::armBeforeSleep(bool enabled) {
    if (enabled && !isArmed_) {
        isArmed_ = true;
        setStatus(StatusTexts::armedBeforeSleep);
    }
}

void AppModel::dispatchEvidence(const EvidenceCaptureRequest& request) {
    if (request.captureScreenshot) {
        captureScreenshot(request.reason, request.eventID);
    }
    if (request.captureCamera) {
        captureCamera(request.reason, true, request.eventID);
    }
}

void AppModel::captureScreenshot(const std::string& reason, std::optional<Uuid> eventID) {
    if (!isArmed_ || !deps_.settings.value(Settings::captureScreenshots)) {
        return;
    }
    Instant now = deps_.clock.now();
    if (secondsBetween(lastScreenshotCaptureAt_, now) < captureThrottleSeconds) {
        return;
    }
    lastScreenshotCaptureAt_ = now;
    bool stitched = deps_.settings.value(Settings::screenshotModeRaw) != 0;
    auto mode = stitched ? ScreenshotCapturing::Mode::allDisplaysStitched
                         : ScreenshotCapturing::Mode::primaryOnly;
    std::weak_ptr<AppModel> weak = weak_from_this();
    deps_.screenshots.capture(mode, [weak, reason, stitched, eventID](auto outcome) {
        if (auto model = weak.lock()) {
            model->screenshotFinished(reason, stitched, eventID, std::move(outcome));
        }
    });
}

void AppModel::screenshotFinished(const std::string& reason, bool stitched,
                                  std::optional<Uuid> eventID,
                                  std::optional<ScreenshotCapturing::CaptureOutcome> outcome) {
    if (!outcome) {
        setStatus(StatusTexts::screenshotFailed(reason));
        return;
    }
    auto label = StatusTexts::screenshotLabel(stitched, outcome->displayCount);
    if (saveEvidenceLink(outcome->url, EvidenceKind::screenshot, eventID)) {
        setStatus(StatusTexts::screenshotSaved(reason, label, outcome->url.filename().string()));
    } else {
        setStatus(StatusTexts::screenshotNotLinked(reason, label));
    }
}

void AppModel::captureCamera(const std::string& reason, bool requireArmed,
                             std::optional<Uuid> eventID) {
    if ((requireArmed && !isArmed_) || !deps_.settings.value(Settings::captureCamera) ||
        cameraCaptureInFlight_) {
        return;
    }
    Instant now = deps_.clock.now();
    if (secondsBetween(lastCameraCaptureAt_, now) < captureThrottleSeconds) {
        return;
    }
    lastCameraCaptureAt_ = now;
    cameraCaptureInFlight_ = true;
    switch (deps_.cameraAuthorization.status()) {
        case CameraAuthorizationStatus::authorized:
            takePhoto(reason, eventID);
            return;
        case CameraAuthorizationStatus::notDetermined: {
            std::weak_ptr<AppModel> weak = weak_from_this();
            auto& mainQueue = deps_.mainQueue;
            deps_.cameraAuthorization.requestAccess(
                [weak, &mainQueue, reason, eventID](bool granted) {
                    mainQueue.post([weak, reason, eventID, granted] {
                        if (auto model = weak.lock()) {
                            granted ? model->takePhoto(reason, eventID)
                                    : model->cameraDeniedResult(reason);
                        }
                    });
                });
            return;
        }
        case CameraAuthorizationStatus::denied:
        case CameraAuthorizationStatus::restricted:
        case CameraAuthorizationStatus::unknown:
            break;
    }
    cameraDeniedResult(reason);
}

void AppModel::takePhoto(const std::string& reason, std::optional<Uuid> eventID) {
    std::weak_ptr<AppModel> weak = weak_from_this();
    deps_.camera.capturePhoto([weak, reason, eventID](std::optional<std::filesystem::path> file) {
        if (auto model = weak.lock()) {
            model->photoFinished(reason, eventID, std::move(file));
        }
    });
}

void AppModel::photoFinished(const std::string& reason, std::optional<Uuid> eventID,
                             std::optional<std::filesystem::path> file) {
    cameraCaptureInFlight_ = false;
    if (!file) {
        setStatus(StatusTexts::cameraFailed(reason));
    } else if (saveEvidenceLink(*file, EvidenceKind::cameraPhoto, eventID)) {
        setStatus(StatusTexts::photoSaved(reason, file->filename().string()));
    } else {
        setStatus(StatusTexts::photoNotLinked(reason));
    }
}

void AppModel::cameraDeniedResult(const std::string& reason) {
    cameraCaptureInFlight_ = false;
    setStatus(StatusTexts::cameraDenied(reason));
}

bool AppModel::saveEvidenceLink(const std::filesystem::path& file, EvidenceKind kind,
                                std::optional<Uuid> eventID) {
    if (!eventID) {
        return true;
    }
    try {
        std::int64_t size = 0;
        for (const auto& entry : deps_.fileSystem.list(file.parent_path())) {
            if (entry.path.filename() == file.filename()) {
                size = std::int64_t(entry.size);
            }
        }
        deps_.evidenceStore.append(EvidenceItem{Uuid::random(), *eventID, kind, fileURLString(file),
                                                deps_.clock.now(), size});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void AppModel::sendTestAlert() {
    SecurityEvent event;
    event.id = Uuid::random();
    event.occurredAt = deps_.clock.now();
    event.kind = SecurityEventKind::didWake;
    event.summary = "Test alert requested";
    event.context = deps_.currentEventContext();
    try {
        deps_.eventStore.append(event);
    } catch (const std::exception&) {
        setStatus(StatusTexts::testAlertNotQueued);
        return;
    }
    std::weak_ptr<AppModel> weak = weak_from_this();
    auto& mainQueue = deps_.mainQueue;
    deps_.delivery.enqueueWithOutcome(event, [weak, &mainQueue](DeliveryEnqueueOutcome outcome) {
        mainQueue.post([weak, outcome] {
            if (auto model = weak.lock()) {
                model->setStatus(StatusTexts::testAlert(outcome));
            }
        });
    });
}

void AppModel::testCameraSnapshot() {
    if (deps_.settings.value(Settings::captureCamera)) {
        captureCamera("Manual Test", false, std::nullopt);
    }
}

void AppModel::testScreenshot() {
    captureScreenshot("Manual Test", std::nullopt);
}

bool AppModel::installSleepGate() {
    if (sleepNotifier_) {
        return isSleepGateActive_;
    }
    std::weak_ptr<AppModel> weak = weak_from_this();
    sleepNotifier_ = std::make_unique<SystemPowerSleepNotifier>(
        deps_.power, [weak](std::function<void()> allowSleep) {
            if (auto model = weak.lock()) {
                model->willSleep(std::move(allowSleep));
            } else {
                allowSleep();
            }
        });
    isSleepGateActive_ = sleepNotifier_->start();
    deps_.sleepGateStatus.record(isSleepGateActive_);
    return isSleepGateActive_;
}

void AppModel::willSleep(std::function<void()> allowSleep) {
    std::weak_ptr<AppModel> weak = weak_from_this();
    auto gate = std::make_shared<SystemSleepGate>(
        SystemSleepGate::defaultBudget, SystemSleepGate::defaultPollInterval,
        deps_.delivery.isQueueEmpty,
        [weak, before = beforeSleep_](std::function<void()> done) {
            auto model = weak.lock();
            if (!model) {
                done();
                return;
            }
            model->flushBufferedAlerts([before, done = std::move(done)] {
                if (before) {
                    before(done);
                } else {
                    done();
                }
            });
        },
        std::move(allowSleep), deps_.monotonicClock, deps_.tasks);
    sleepGates_.start([gate](std::stop_token stop) { gate->run(stop); });
}

void AppModel::flushBufferedAlerts(std::function<void()> done) {
    auto flushNow = deps_.delivery.flushNow;
    deps_.alertDispatcher->flushForSleep([flushNow, done = std::move(done)] {
        flushNow();
        done();
    });
}

void AppModel::setStatus(std::string text) {
    lastStatusMessage_ = std::move(text);
    changed();
}

void AppModel::changed() {
    // A copy: an observer may add or remove observers.
    auto observers = observers_;
    for (const auto& [id, observer] : observers) {
        observer();
    }
}

}  // namespace veyrune
