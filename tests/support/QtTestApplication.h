#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

namespace veyrune::test {

// One Qt application object for a whole test program, made before the first
// test and gone after the last; `prepare` runs just before it is made.
template <class App>
class QtApplicationEnvironment final : public ::testing::Environment {
  public:
    explicit QtApplicationEnvironment(std::function<void()> prepare = {})
        : prepare_(std::move(prepare)) {}

    void SetUp() override {
        if (prepare_) {
            prepare_();
        }
        app_ = std::make_unique<App>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::function<void()> prepare_;
    int argc_ = 1;
    char name_[16] = "veyrune-tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<App> app_;
};

// Turns the event loop until `done` holds or `limit` passes; says which. A
// 10 ms tick re-checks conditions that change outside the loop.
inline bool waitForEvents(const std::function<bool()>& done,
                          std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace veyrune::test
