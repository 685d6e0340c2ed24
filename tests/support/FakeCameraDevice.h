#pragma once

#include <memory>
#include <vector>

#include "evidence/CameraDevice.h"

namespace veyrune::test {

// What happened to one opened session; outlives the session itself.
struct FakeCameraSessionRecord {
    std::vector<PhotoDimensions> supported;
    std::optional<PhotoDimensions> maxDimensions;
    bool started = false;
    int stops = 0;
    std::vector<std::optional<PhotoDimensions>> requestedSizes;
    std::vector<PhotoCallbacks> captures;  // the test answers through these
};

// A camera the test drives: it opens sessions (unless `hasCamera` is false)
// and records what the capturer asks of them.
class FakeCameraDevice final : public CameraDevice {
  public:
    bool hasCamera = true;
    std::vector<PhotoDimensions> supported = {{1280, 720}};
    std::vector<std::shared_ptr<FakeCameraSessionRecord>> sessions;

    std::unique_ptr<CameraSession> openDefault() override {
        if (!hasCamera) {
            return nullptr;
        }
        auto record = std::make_shared<FakeCameraSessionRecord>();
        record->supported = supported;
        sessions.push_back(record);
        return std::make_unique<Session>(record);
    }

  private:
    class Session final : public CameraSession {
      public:
        explicit Session(std::shared_ptr<FakeCameraSessionRecord> record)
            : record_(std::move(record)) {}
        std::vector<PhotoDimensions> supportedPhotoDimensions() const override {
            return record_->supported;
        }
        void setMaxPhotoDimensions(PhotoDimensions dimensions) override {
            record_->maxDimensions = dimensions;
        }
        void startRunning() override { record_->started = true; }
        void stopRunning() override { ++record_->stops; }
        void capturePhoto(std::optional<PhotoDimensions> dimensions,
                          PhotoCallbacks callbacks) override {
            record_->requestedSizes.push_back(dimensions);
            record_->captures.push_back(std::move(callbacks));
        }

      private:
        std::shared_ptr<FakeCameraSessionRecord> record_;
    };
};

// Marks photo data as adjusted, or hands undecodable data back unchanged.
class FakePhotoAdjuster final : public PhotoAdjusting {
  public:
    std::string adjust(const std::string& photoData) override {
        return photoData == "undecodable" ? photoData : "adjusted " + photoData;
    }
};

}  // namespace veyrune::test
