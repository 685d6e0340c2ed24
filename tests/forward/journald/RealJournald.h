#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace veyrune::test {

// The system's own systemd-journald, run by the test as a plain process (it
// needs no systemd), keeping a volatile journal in /run/log/journal. Refuses
// to start when a journal socket exists already: that journal belongs to
// someone else, and cleaning up after ours would remove its files. Removes
// /run/systemd/journal and /run/log/journal when it ends. Needs root.
class RealJournald {
  public:
    // Throws std::runtime_error saying what is in the way.
    RealJournald();
    ~RealJournald();
    RealJournald(const RealJournald&) = delete;
    RealJournald& operator=(const RealJournald&) = delete;

    // SIGTERM and wait. The socket file stays, as after a crash.
    void stop();
    void start();
    // SIGSTOP / SIGCONT: a journald that takes nothing, then catches up.
    void pause();
    void resume();
    // Returns once journald has stored everything sent to it before the call
    // (its SIGRTMIN+1 answer comes after the datagrams already queued).
    void sync();

    using Entry = std::map<std::string, std::string>;
    // This process's entries with SYSLOG_IDENTIFIER=veyrune, oldest first, read
    // with `journalctl -o json`; each value as the exact bytes stored.
    std::vector<Entry> entries() const;
    // The values of `field` in this process's entries, one a line, as the
    // recipe for checking the chain from the journal reads them.
    std::string fieldLines(const std::string& field) const;

  private:
    std::string journalctl(const std::string& output) const;

    pid_t pid_ = -1;
};

}  // namespace veyrune::test
