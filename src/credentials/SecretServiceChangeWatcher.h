#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "credentials/KeychainChangeSource.h"

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;
typedef struct _GDBusConnection GDBusConnection;

namespace veyrune {

// KeychainChangeSource over the Secret Service's session-bus signals: the
// collections' ItemCreated, ItemChanged and ItemDeleted, and the service's
// collection signals, taken only from the current owner of
// org.freedesktop.secrets. Watching holds while that name has an owner. Runs
// its own GLib main loop on a thread, which also connects to the bus, so
// nothing here blocks its caller. No session bus: never watching.
class SecretServiceChangeWatcher final : public KeychainChangeSource {
  public:
    SecretServiceChangeWatcher();
    ~SecretServiceChangeWatcher() override;  // stops the loop and joins its thread
    SecretServiceChangeWatcher(const SecretServiceChangeWatcher&) = delete;
    SecretServiceChangeWatcher& operator=(const SecretServiceChangeWatcher&) = delete;

    void start(std::function<void()> changed) override;
    bool isWatching() const override;

  private:
    void run();
    void subscribe(GDBusConnection* connection);
    void unsubscribe(GDBusConnection* connection);
    void ownerChanged(const char* owner);

    std::function<void()> changed_;  // set before the thread starts
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    std::thread thread_;
    // The loop's thread alone uses these.
    std::string owner_;
    unsigned itemSubscription_ = 0;
    unsigned serviceSubscription_ = 0;
    unsigned nameWatch_ = 0;
    std::atomic<bool> watching_{false};
};

}  // namespace veyrune
