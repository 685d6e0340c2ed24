#include "system/linux/QtScreenMonitor.h"

#include <QGuiApplication>

#include "system/DisplayNameCache.h"

namespace veyrune {

QtScreenMonitor::QtScreenMonitor(QObject* parent) : QObject(parent) {}

std::vector<ScreenDescription> QtScreenMonitor::currentScreens() {
    std::vector<ScreenDescription> screens;
    if (!qGuiApp) {
        return screens;
    }
    for (QScreen* screen : QGuiApplication::screens()) {
        screens.push_back({numberOf(screen), displayName(screen->manufacturer().toStdString(),
                                                         screen->model().toStdString(),
                                                         screen->name().toStdString())});
    }
    return screens;
}

void QtScreenMonitor::observe(Handler handler) {
    if (!qGuiApp || handler_) {
        handler_ = std::move(handler);
        return;
    }
    handler_ = std::move(handler);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        handler_(numberOf(screen), SystemEventSource::displayAddFlag);
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this](QScreen* screen) {
        const auto number = numberOf(screen);
        numbers_.erase(screen);
        handler_(number, SystemEventSource::displayRemoveFlag);
    });
}

std::uint32_t QtScreenMonitor::numberOf(QScreen* screen) {
    auto [entry, added] = numbers_.try_emplace(screen, lastNumber_ + 1);
    if (added) {
        ++lastNumber_;
    }
    return entry->second;
}

}  // namespace veyrune
