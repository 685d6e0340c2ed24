#pragma once

#include <QImage>
#include <memory>
#include <optional>

#include "evidence/qt/GuiThread.h"
#include "evidence/qt/QtCameraControl.h"

namespace veyrune::test {

// What happened to the fake camera; the test drives it through this record
// on the GUI thread. Outlives the camera.
struct FakeQtCameraRecord {
    bool ready = false;
    bool started = false;
    int stops = 0;
    int captures = 0;
    std::optional<QSize> resolution;
    QImage picture{64, 48, QImage::Format_RGB32};
    QtCameraControl::Listener listener;

    // The camera starts streaming: it becomes ready and says so.
    void becomeReady() {
        ready = true;
        if (listener.readyForCaptureChanged) {
            listener.readyForCaptureChanged(true);
        }
    }
    void fail(const QString& text) {
        if (listener.failed) {
            listener.failed(text);
        }
    }
};

// A Qt-level camera that becomes ready only when the test says so and
// delivers `picture` a moment after each capture, like QImageCapture does.
class FakeQtCameraControl final : public QtCameraControl {
  public:
    explicit FakeQtCameraControl(std::shared_ptr<FakeQtCameraRecord> record)
        : record_(std::move(record)) {}
    void setListener(Listener listener) override { record_->listener = std::move(listener); }
    QList<QSize> photoResolutions() const override { return {QSize(64, 48), QSize(32, 24)}; }
    void setResolution(QSize size) override { record_->resolution = size; }
    void start() override { record_->started = true; }
    void stop() override {
        ++record_->stops;
        record_->ready = false;
    }
    bool isReadyForCapture() const override { return record_->ready; }
    void capture() override {
        ++record_->captures;
        postToGuiThread([record = record_] {
            if (record->listener.imageCaptured) {
                record->listener.imageCaptured(record->picture);
            }
        });
    }

  private:
    std::shared_ptr<FakeQtCameraRecord> record_;
};

// Opens FakeQtCameraControls (unless `hasCamera` is false), one record each.
class FakeQtCameraOpening final : public QtCameraOpening {
  public:
    bool hasCamera = true;
    std::vector<std::shared_ptr<FakeQtCameraRecord>> cameras;

    std::unique_ptr<QtCameraControl> openDefault() override {
        if (!hasCamera) {
            return nullptr;
        }
        cameras.push_back(std::make_shared<FakeQtCameraRecord>());
        cameras.back()->picture.fill(qRgb(90, 120, 150));
        return std::make_unique<FakeQtCameraControl>(cameras.back());
    }
};

}  // namespace veyrune::test
