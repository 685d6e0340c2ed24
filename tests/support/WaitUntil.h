#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace veyrune::test {

// Polls `condition` until it holds or `patience` runs out; says which. For
// tests on real threads, whose progress no test can drive by hand.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds patience = std::chrono::seconds(30)) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace veyrune::test
