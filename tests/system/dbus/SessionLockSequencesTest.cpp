// Lock and unlock sequences of real desktops replayed on logind's fake and a
// screen saver on the bus: each real change must give exactly one event.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "LinuxSourceFixture.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

const std::string byLock = "logind.Session.Lock";
const std::string byUnlock = "logind.Session.Unlock";
const std::string byHint = "logind.Session.LockedHint";
const std::string bySaver = "org.freedesktop.ScreenSaver.ActiveChanged";
const std::string byActive = "logind.Session.Active";

// Steps, space-separated: Lock, Unlock (session methods), Hint+ / Hint-
// (SetLockedHint), Active+ / Active-, Saver+ / Saver- (the screen saver's
// ActiveChanged), Grace (everything sent so far is handled, then the lock grace
// time ends; logged as "grace").
struct Sequence {
    const char* desktop;
    bool lockedAtStart;
    const char* steps;
    std::vector<std::string> expected;
};

const Sequence sequences[] = {
    {"GnomeLockAndUnlockSession",
     false,
     "Lock Hint+ Grace Unlock Hint-",
     {"locked " + byHint, "grace", "unlocked " + byHint}},
    {"KdeLockAndUnlockWithItsScreenSaver",
     false,
     "Lock Saver+ Hint+ Grace Unlock Saver- Hint-",
     {"locked " + bySaver, "grace", "unlocked " + byHint}},
    {"KdeLockedWhenIdleUnlockedByPassword",
     false,
     "Saver+ Hint+ Saver- Hint-",
     {"locked " + byHint, "unlocked " + byHint}},
    {"UserSwitchedAwayAndBackWhileLocked",
     false,
     "Hint+ Active- Active+ Hint-",
     {"locked " + byHint, "unlocked " + byHint}},
    {"UserSwitchedAwayAndBackUnlocked", false, "Active- Active+", {"unlocked " + byActive}},
    {"ScreenSaverBlanksWithoutLocking", false, "Saver+ Grace Saver-", {"grace"}},
    {"LockRequestNoLockerAnswers",
     false,
     "Lock Grace Unlock",
     {"grace", "locked " + byLock, "unlocked " + byUnlock}},
    {"StartedWhileLocked", true, "Hint+ Grace Unlock Hint-", {"grace", "unlocked " + byHint}},
};

void PrintTo(const Sequence& sequence, std::ostream* out) {
    *out << sequence.steps;
}

class SessionLockSequences : public LinuxSourceFixture,
                             public ::testing::WithParamInterface<Sequence> {
  protected:
    void play(const std::string& steps) {
        std::istringstream words(steps);
        for (std::string word; words >> word;) {
            const bool on = word.back() == '+';
            if (word == "Lock" || word == "Unlock") {
                callSession(QString::fromStdString(word));
            } else if (word == "Grace") {
                ASSERT_TRUE(settle());
                log.push_back("grace");
                lockTimer->fire();
            } else if (word.starts_with("Hint")) {
                callSession("SetLockedHint", {on});
            } else if (word.starts_with("Active")) {
                setSessionActive(on);
            } else if (word.starts_with("Saver")) {
                sendScreenSaverActive(screenSaver, on);
            } else {
                FAIL() << "unknown step " << word;
            }
        }
        ASSERT_TRUE(settle());
    }

    std::vector<std::string> log;
};

}  // namespace

TEST_P(SessionLockSequences, GiveOneEventPerRealChange) {
    const Sequence& sequence = GetParam();
    addGetSessionByPID();
    if (sequence.lockedAtStart) {
        callSession("SetLockedHint", {true});
    }
    startWatcher();
    watcher->rawEventHandler = [this,
                                recorded = watcher->rawEventHandler](const RawSystemEvent& event) {
        recorded(event);
        if (event.kind != SecurityEventKind::willSleep) {
            log.push_back(
                (event.kind == SecurityEventKind::screenLocked ? "locked " : "unlocked ") +
                event.details.at("source"));
        }
    };
    play(sequence.steps);
    EXPECT_EQ(log, sequence.expected);
}

INSTANTIATE_TEST_SUITE_P(Desktops, SessionLockSequences, ::testing::ValuesIn(sequences),
                         [](const auto& tested) { return std::string(tested.param.desktop); });
