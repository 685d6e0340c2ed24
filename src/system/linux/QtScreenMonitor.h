#pragma once

#include <QObject>
#include <QScreen>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "system/SystemEventSource.h"

namespace veyrune {

// The screens of the QGuiApplication with a number each (given in order of
// first sight, never reused), and their arrivals and removals as display
// reconfiguration steps. Without a QGuiApplication there are no screens.
// Main thread.
class QtScreenMonitor final : public QObject {
  public:
    using Handler = std::function<void(std::uint32_t displayID, std::uint32_t flags)>;

    explicit QtScreenMonitor(QObject* parent = nullptr);

    // Every screen with its number and its monitor's name (manufacturer and
    // model where known, else the connector: see displayName).
    std::vector<ScreenDescription> currentScreens();
    void observe(Handler handler);

  private:
    std::uint32_t numberOf(QScreen* screen);

    std::map<QScreen*, std::uint32_t> numbers_;
    std::uint32_t lastNumber_ = 0;
    Handler handler_;
};

}  // namespace veyrune
