#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/Clock.h"
#include "base/FileSystem.h"
#include "record/LogPosition.h"
#include "record/SecurityEventStore.h"
#include "seal/Seal.h"
#include "seal/SealEpochs.h"
#include "seal/SealKeyFile.h"
#include "seal/VerificationKey.h"

namespace veyrune {

// Seals the event log epoch by epoch beside it and evolves the key file. It
// runs no timer: the caller calls tick() at start, on wake and at each epoch's
// end, and close() before sleep and at shutdown. One thread (the one that
// appends to the log), and one Sealer per seals file, as it remembers the
// last seal; the stores and the clock must outlive it. Every call
// throws FileError or Error when a file cannot be written or read; a seal is
// always written before the key it was made with is replaced.
class Sealer {
  public:
    Sealer(Clock& clock, FileSystem& files, SecurityEventStore& log, std::filesystem::path keyFile,
           std::filesystem::path sealsFile);

    // Switches sealing on with a fresh seed for the current epoch and returns
    // the verification key, to be shown once: nothing keeps it. A first seal
    // at once covers the log as it is. Seals of an earlier key move to
    // "<seals>.before-<epoch>".
    VerificationKey begin(std::int64_t epochSeconds = SealEpochs::defaultSeconds);
    VerificationKey begin(const SealKey::Bytes& seed, std::int64_t epochSeconds);
    bool isSealing() const;
    // Switches sealing off: seals what is there as closing, then the key file
    // goes (also when that seal fails, whose error is then thrown); the seals stay.
    void end();

    // When the stored key's epoch has ended: seals it (as closing when whole
    // epochs passed without Veyrune, so the gap is explained), then evolves the
    // key to the current epoch. Nothing when sealing is off.
    void tick();
    // Brings the key up to date and seals the current epoch early, as closing.
    void close();
    // When tick() is next due; nothing when sealing is off.
    std::optional<Instant> nextTick() const;
    const std::filesystem::path& keyFilePath() const { return keyFile_.path(); }

  private:
    // The log's last chained line and the digests of the run of entries
    // before it that no seal holds yet.
    struct Tail {
        std::int64_t seq = 0;
        std::string hash;
        std::int64_t digestsFrom = 1;  // the seq of the first digest
        std::string digests;
    };
    class TailSink;
    const Tail& logTail();
    // The last seal in the file, read once and then remembered.
    const std::optional<Seal>& lastSeal();
    void writeSeal(const SealKeyFile::State& state, bool closing);
    bool lastSealCovers(std::int64_t epoch, bool needClosing);
    void moveSealsAside(std::int64_t epoch);

    Clock* clock_;
    FileSystem* files_;
    SecurityEventStore* log_;
    SealKeyFile keyFile_;
    std::filesystem::path sealsFile_;
    LogPosition logPosition_;
    Tail tail_;
    bool readSeals_ = false;
    std::optional<Seal> lastSeal_;
};

}  // namespace veyrune
