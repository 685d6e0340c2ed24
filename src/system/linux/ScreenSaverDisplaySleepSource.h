#pragma once

#include <QDBusConnection>
#include <map>
#include <memory>
#include <mutex>

#include "system/DisplaySleepSource.h"
#include "system/linux/DBusSignalSubscription.h"

namespace veyrune {

// The displays go to sleep when the session's screen saver turns active
// (org.freedesktop.ScreenSaver.ActiveChanged(true) from the owner of that name
// on the session bus). Built and destroyed on the main thread, where the
// observers run; observers may be added and removed from any thread.
class ScreenSaverDisplaySleepSource final : public DisplaySleepSource {
  public:
    explicit ScreenSaverDisplaySleepSource(QDBusConnection sessionBus);

    ObserverID addObserver(std::function<void()> observer) override;
    void removeObserver(ObserverID id) override;

  private:
    void screenSaverActivated();

    std::unique_ptr<DBusSignalSubscription> subscription_;
    std::mutex mutex_;
    std::map<ObserverID, std::function<void()>> observers_;  // guarded by mutex_
    ObserverID lastID_ = 0;                                  // guarded by mutex_
};

}  // namespace veyrune
