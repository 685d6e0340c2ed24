#include "system/SessionLockState.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/ManualMainThreadTimer.h"

using namespace veyrune;
using namespace veyrune::test;
using enum SessionLockCause;

namespace {

// A session's signals in order, space-separated: Lock, Unlock, Hint+ / Hint-
// (LockedHint), Saver+ / Saver- (ScreenSaver ActiveChanged), Active+ / Active-,
// and Grace (the grace timer firing, when it is pending).
struct Case {
    const char* desktop;
    SessionLockSnapshot atStart;
    const char* signals;
    std::vector<SessionLockChange> expected;
};

const SessionLockSnapshot unlocked{false, true};

void play(SessionLockState& state, ManualMainThreadTimer& timer, const std::string& signals) {
    std::istringstream words(signals);
    for (std::string word; words >> word;) {
        if (word == "Lock") {
            state.lockRequested();
        } else if (word == "Unlock") {
            state.unlockRequested();
        } else if (word == "Grace") {
            timer.fire();
        } else {
            const bool on = word.back() == '+';
            const std::string name = word.substr(0, word.size() - 1);
            if (name == "Hint") {
                state.lockedHintChanged(on);
            } else if (name == "Saver") {
                state.screenSaverActiveChanged(on);
            } else if (name == "Active") {
                state.activeChanged(on);
            } else {
                FAIL() << "unknown signal " << word;
            }
        }
    }
}

}  // namespace

TEST(SessionLockState, EachRealLockChangeIsReportedOnceWhateverSignalsCarryIt) {
    const Case cases[] = {
        {"GNOME lock-session and unlock-session",
         unlocked,
         "Lock Hint+ Grace Unlock Hint-",
         {{true, lockedHint}, {false, lockedHint}}},
        {"KDE lock-session and unlock",
         unlocked,
         "Lock Saver+ Hint+ Grace Unlock Saver- Hint-",
         {{true, screenSaver}, {false, lockedHint}}},
        {"KDE locking when idle",
         unlocked,
         "Saver+ Hint+ Saver- Hint-",
         {{true, lockedHint}, {false, lockedHint}}},
        {"a Lock no locker answers",
         unlocked,
         "Lock Grace Unlock",
         {{true, lockRequest}, {false, unlockRequest}}},
        {"a locker answering after the grace time",
         unlocked,
         "Lock Grace Hint+ Unlock Hint-",
         {{true, lockRequest}, {false, lockedHint}}},
        {"a Lock taken back within the grace time", unlocked, "Lock Unlock Grace", {}},
        {"Lock repeated while locking and locked",
         unlocked,
         "Lock Lock Grace Lock Grace",
         {{true, lockRequest}}},
        {"Unlock while LockedHint still holds the lock",
         unlocked,
         "Hint+ Unlock",
         {{true, lockedHint}}},
        {"a screen saver that only blanks", unlocked, "Saver+ Saver- Saver+", {}},
        {"a screen saver that locks on request",
         unlocked,
         "Lock Saver+ Grace Saver-",
         {{true, screenSaver}, {false, screenSaver}}},
        {"switching user away and back while locked",
         unlocked,
         "Hint+ Active- Active+ Hint-",
         {{true, lockedHint}, {false, lockedHint}}},
        {"switching user away and back unlocked",
         unlocked,
         "Active- Active+",
         {{false, sessionActive}}},
        {"unlocked while away, then back",
         unlocked,
         "Hint+ Active- Hint- Active+",
         {{true, lockedHint}, {false, sessionActive}}},
        {"started locked", {true, true}, "Hint+ Unlock Hint-", {{false, lockedHint}}},
        {"started locked and away", {true, false}, "Active+ Hint+ Hint-", {{false, lockedHint}}},
        {"started with LockedHint unknown",
         {std::nullopt, std::nullopt},
         "Lock Hint+ Hint-",
         {{true, lockedHint}, {false, lockedHint}}},
        {"started away and unlocked", {false, false}, "Active+", {{false, sessionActive}}},
    };
    for (const auto& c : cases) {
        ManualMainThreadTimer timer;
        std::vector<SessionLockChange> changes;
        SessionLockState state(timer,
                               [&](const SessionLockChange& change) { changes.push_back(change); });
        state.start(c.atStart);
        play(state, timer, c.signals);
        std::ostringstream got;
        for (const auto& change : changes) {
            got << (change.locked ? "locked/" : "unlocked/") << static_cast<int>(change.cause)
                << ' ';
        }
        EXPECT_EQ(changes, c.expected) << c.desktop << ": got " << got.str();
    }
}

TEST(SessionLockState, UnansweredLockWaitsTheGraceTimeAndDiesWithTheState) {
    ManualMainThreadTimer timer;
    {
        SessionLockState state(timer, nullptr, std::chrono::milliseconds(2500));
        state.start(unlocked);
        state.lockRequested();
        EXPECT_EQ(timer.delay(), std::chrono::milliseconds(2500));
        EXPECT_FALSE(state.isLocked());
    }
    EXPECT_FALSE(timer.isPending()) << "a pending lock outlived its state";
}
