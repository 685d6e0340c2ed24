#include "system/linux/QtAudioOutputMonitor.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace veyrune {

QtAudioOutputMonitor::QtAudioOutputMonitor(QObject* parent) : QObject(parent) {}

QtAudioOutputMonitor::~QtAudioOutputMonitor() = default;

void QtAudioOutputMonitor::observe(std::function<void()> handler) {
    handler_ = std::move(handler);
    if (devices_) {
        return;
    }
    devices_ = std::make_unique<QMediaDevices>();
    defaultID_ = QMediaDevices::defaultAudioOutput().id();
    connect(devices_.get(), &QMediaDevices::audioOutputsChanged, this,
            [this] { outputsChanged(); });
}

std::optional<std::string> QtAudioOutputMonitor::defaultOutputName() {
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull() || output.description().isEmpty()) {
        return std::nullopt;
    }
    return output.description().toStdString();
}

void QtAudioOutputMonitor::outputsChanged() {
    const QByteArray id = QMediaDevices::defaultAudioOutput().id();
    if (id == defaultID_) {
        return;
    }
    defaultID_ = id;
    if (handler_) {
        handler_();
    }
}

}  // namespace veyrune
