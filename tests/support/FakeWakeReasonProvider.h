#pragma once

#include "system/WakeReasonProviding.h"

namespace veyrune::test {

// Answers with whatever wake reason the test set, counting the questions.
class FakeWakeReasonProvider final : public WakeReasonProviding {
  public:
    WakeReason currentWakeReason() override {
        ++readCount;
        return wake;
    }

    WakeReason wake;
    int readCount = 0;
};

}  // namespace veyrune::test
