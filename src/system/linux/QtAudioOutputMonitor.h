#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QMediaDevices;

namespace veyrune {

// The default audio output through Qt Multimedia: a change is reported when
// the default output's id changes. The device list is opened on the first
// `observe`. Main thread.
class QtAudioOutputMonitor final : public QObject {
  public:
    explicit QtAudioOutputMonitor(QObject* parent = nullptr);
    ~QtAudioOutputMonitor() override;

    void observe(std::function<void()> handler);
    // The default output's description; nothing when there is none or it is unnamed.
    static std::optional<std::string> defaultOutputName();

  private:
    void outputsChanged();

    std::unique_ptr<QMediaDevices> devices_;
    QByteArray defaultID_;
    std::function<void()> handler_;
};

}  // namespace veyrune
