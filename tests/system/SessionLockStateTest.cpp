#include "system/SessionLockState.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/ManualMainThreadTimer.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

// A session's signals in order, space-separated: Lock, Unlock, Hint+ / Hint-
// (LockedHint), Saver+ / Saver- (ScreenSaver ActiveChanged), Active+ / Active-,
// and Grace (the grace timer firing, when it is pending). The changes reported,
// in the same words: "locked:Hint" is a lock reported from LockedHint.
struct Case {
    const char* desktop;
    SessionLockSnapshot atStart;
    const char* signals;
    const char* expected;
};

std::string text(const std::vector<SessionLockChange>& changes) {
    std::string words;
    for (const auto& change : changes) {
        const char* cause[] = {"Lock", "Unlock", "Hint", "Saver", "Active"};
        words += std::string(words.empty() ? "" : " ") + (change.locked ? "locked:" : "unlocked:") +
                 cause[static_cast<int>(change.cause)];
    }
    return words;
}

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
        {"GNOME lock-session and unlock-session", unlocked, "Lock Hint+ Grace Unlock Hint-",
         "locked:Hint unlocked:Hint"},
        {"KDE lock-session and unlock", unlocked, "Lock Saver+ Hint+ Grace Unlock Saver- Hint-",
         "locked:Saver unlocked:Hint"},
        {"KDE locking when idle", unlocked, "Saver+ Hint+ Saver- Hint-",
         "locked:Hint unlocked:Hint"},
        {"a Lock no locker answers", unlocked, "Lock Grace Unlock", "locked:Lock unlocked:Unlock"},
        {"a locker answering after the grace time", unlocked, "Lock Grace Hint+ Unlock Hint-",
         "locked:Lock unlocked:Hint"},
        {"a Lock taken back within the grace time", unlocked, "Lock Unlock Grace", ""},
        {"Lock repeated while locking and locked", unlocked, "Lock Lock Grace Lock Grace",
         "locked:Lock"},
        {"Unlock while LockedHint still holds the lock", unlocked, "Hint+ Unlock", "locked:Hint"},
        {"a screen saver that only blanks", unlocked, "Saver+ Saver- Saver+", ""},
        {"a screen saver that locks on request", unlocked, "Lock Saver+ Grace Saver-",
         "locked:Saver unlocked:Saver"},
        {"switching user away and back while locked", unlocked, "Hint+ Active- Active+ Hint-",
         "locked:Hint unlocked:Hint"},
        {"switching user away and back unlocked", unlocked, "Active- Active+", "unlocked:Active"},
        {"unlocked while away, then back", unlocked, "Hint+ Active- Hint- Active+",
         "locked:Hint unlocked:Active"},
        {"started locked", {true, true}, "Hint+ Unlock Hint-", "unlocked:Hint"},
        {"started locked and away", {true, false}, "Active+ Hint+ Hint-", "unlocked:Hint"},
        {"started with LockedHint unknown",
         {std::nullopt, std::nullopt},
         "Lock Hint+ Hint-",
         "locked:Hint unlocked:Hint"},
        {"started away and unlocked", {false, false}, "Active+", "unlocked:Active"},
    };
    for (const auto& c : cases) {
        ManualMainThreadTimer timer;
        std::vector<SessionLockChange> changes;
        SessionLockState state(timer,
                               [&](const SessionLockChange& change) { changes.push_back(change); });
        state.start(c.atStart);
        play(state, timer, c.signals);
        EXPECT_EQ(text(changes), c.expected) << c.desktop;
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
