#pragma once

#include <mutex>
#include <vector>

#include "evidence/CameraAuthorization.h"
#include "evidence/PhotoCapturing.h"
#include "evidence/ScreenshotCapturing.h"
#include "model/LaunchAtLoginService.h"
#include "record/EvidenceItemStore.h"
#include "review/DeliveryStatusSource.h"

namespace veyrune::test {

// Capturers that never produce a file.
class NoScreenshots final : public ScreenshotCapturing {
  public:
    void capture(Mode, Completion completion) override { completion(std::nullopt); }
};

class NoPhotos final : public PhotoCapturing {
  public:
    void capturePhoto(Completion completion) override { completion(std::nullopt); }
};

class FixedCameraAuthorization final : public CameraAuthorization {
  public:
    CameraAuthorizationStatus status() const override { return CameraAuthorizationStatus::denied; }
    void requestAccess(std::function<void(bool)> answer) override { answer(false); }
};

// Evidence links in a vector.
class InMemoryEvidenceItemStore final : public EvidenceItemStore {
  public:
    void append(const EvidenceItem& item) override {
        std::lock_guard lock(mutex_);
        items_.push_back(item);
    }
    std::vector<EvidenceItem> allItems() const override {
        std::lock_guard lock(mutex_);
        return items_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<EvidenceItem> items_;  // guarded by mutex_
};

// Delivery attempts the test sets; records retries. Any thread.
class FakeDeliveryStatusSource final : public DeliveryStatusSource {
  public:
    std::unordered_map<Uuid, std::vector<DeliveryAttempt>> deliveryAttempts(
        const std::unordered_set<Uuid>& ids) override {
        std::lock_guard lock(mutex_);
        std::unordered_map<Uuid, std::vector<DeliveryAttempt>> found;
        for (const auto& [id, list] : attempts_) {
            if (ids.contains(id)) {
                found[id] = list;
            }
        }
        return found;
    }
    void retry(const Uuid& eventID) override {
        std::lock_guard lock(mutex_);
        retried_.push_back(eventID);
    }
    DeliveryQueueSummary queueSummary() override { return {}; }

    void set(const Uuid& eventID, std::vector<DeliveryAttempt> attempts) {
        std::lock_guard lock(mutex_);
        attempts_[eventID] = std::move(attempts);
    }
    std::vector<Uuid> retried() const {
        std::lock_guard lock(mutex_);
        return retried_;
    }

  private:
    mutable std::mutex mutex_;
    std::unordered_map<Uuid, std::vector<DeliveryAttempt>> attempts_;  // guarded by mutex_
    std::vector<Uuid> retried_;                                        // guarded by mutex_
};

// A start-at-login switch with a status the test sets.
class FakeLaunchAtLoginService final : public LaunchAtLoginService {
  public:
    Status status() const override { return status_; }
    void setEnabled(bool enabled) override {
        if (fails) {
            throw std::runtime_error("autostart entry not writable");
        }
        status_ = enabled ? Status::enabled : Status::notRegistered;
    }

    Status status_ = Status::notRegistered;
    bool fails = false;
};

}  // namespace veyrune::test
