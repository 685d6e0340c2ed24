#pragma once

#include <QDBusConnection>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace veyrune {

// One logind inhibitor lock, held as long as its descriptor is open. `release`
// closes it exactly once, from any thread; destruction releases it too.
class LogindInhibitor {
  public:
    explicit LogindInhibitor(int descriptor) : descriptor_(descriptor) {}
    ~LogindInhibitor() { release(); }
    LogindInhibitor(const LogindInhibitor&) = delete;
    LogindInhibitor& operator=(const LogindInhibitor&) = delete;

    void release();
    bool isHeld() const;

    // Manager.Inhibit(what, "Veyrune", why, "delay"), waiting for the answer;
    // nothing when logind refuses or does not answer.
    static std::unique_ptr<LogindInhibitor> take(QDBusConnection& systemBus, const QString& what,
                                                 const QString& why);
    // The same without waiting: `done` runs later on the connection's thread
    // with the lock, or with nothing on failure.
    static void takeLater(QDBusConnection& systemBus, const QString& what, const QString& why,
                          std::function<void(std::unique_ptr<LogindInhibitor>)> done);

  private:
    mutable std::mutex mutex_;
    int descriptor_;  // guarded by mutex_; -1 once released
};

}  // namespace veyrune
