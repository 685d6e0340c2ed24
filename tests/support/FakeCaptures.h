#pragma once

#include <deque>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "evidence/CameraAuthorization.h"
#include "evidence/PhotoCapturing.h"
#include "evidence/ScreenshotCapturing.h"
#include "record/EvidenceItemStore.h"

namespace veyrune::test {

// Keeps every screenshot request until the test answers it.
class FakeScreenshotCapturing final : public ScreenshotCapturing {
  public:
    void capture(Mode mode, Completion completion) override {
        modes.push_back(mode);
        pending.push_back(std::move(completion));
    }
    void answer(std::optional<CaptureOutcome> outcome) {
        auto completion = std::move(pending.front());
        pending.pop_front();
        completion(std::move(outcome));
    }
    std::vector<Mode> modes;
    std::deque<Completion> pending;
};

// Keeps every photo request until the test answers it.
class FakePhotoCapturing final : public PhotoCapturing {
  public:
    void capturePhoto(Completion completion) override { pending.push_back(std::move(completion)); }
    void answer(std::optional<std::filesystem::path> file) {
        auto completion = std::move(pending.front());
        pending.pop_front();
        completion(std::move(file));
    }
    std::deque<Completion> pending;
};

// A fixed authorization status; a request for access answers `grants` at once.
class FakeCameraAuthorization final : public CameraAuthorization {
  public:
    CameraAuthorizationStatus status() const override { return current; }
    void requestAccess(std::function<void(bool)> answer) override {
        ++requests;
        answer(grants);
    }
    CameraAuthorizationStatus current = CameraAuthorizationStatus::authorized;
    bool grants = true;
    int requests = 0;
};

// Evidence links in a list; appends fail on demand.
class InMemoryEvidenceItemStore final : public EvidenceItemStore {
  public:
    void append(const EvidenceItem& item) override {
        std::lock_guard lock(mutex_);
        if (failAppends) {
            throw std::runtime_error("disk full");
        }
        items_.push_back(item);
    }
    std::vector<EvidenceItem> allItems() const override {
        std::lock_guard lock(mutex_);
        return items_;
    }
    bool failAppends = false;

  private:
    mutable std::mutex mutex_;
    std::vector<EvidenceItem> items_;  // guarded by mutex_
};

}  // namespace veyrune::test
