#pragma once

#include <functional>

namespace veyrune {

// Tells when the keyring's items may have changed, whoever changed them.
class KeychainChangeSource {
  public:
    // After it returns, `changed` is never called again.
    virtual ~KeychainChangeSource() = default;
    // Starts the watch; called once. `changed` runs on the source's own thread
    // after an item was created, changed or deleted, and whenever watching
    // starts or stops. It must not block.
    virtual void start(std::function<void()> changed) = 0;
    // True while every change will be reported; false before the watch is in
    // place and while the keyring service is gone. Any thread.
    virtual bool isWatching() const = 0;
};

}  // namespace veyrune
