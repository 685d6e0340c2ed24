// veyrune-verify: checks the hash chain of a Veyrune event log on its own,
// so an auditor can judge an exported log without the application.

#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/PosixFileSystem.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "record/LogComparison.h"
#include "seal/SealSummaryText.h"
#include "verify/ChainInspection.h"
#include "verify/CollectorCopy.h"
#include "verify/ComparisonText.h"

namespace {

constexpr const char* kUsage =
    "Usage: veyrune-verify [--key KEY] [--central] [FILE]\n"
    "       veyrune-verify --against CENTRAL [LOCAL]\n"
    "\n"
    "Checks the hash chain of a Veyrune event log (security-events.jsonl) and\n"
    "prints its verdict as one line, for example\n"
    "  Chain intact \xe2\x80\x94 3 entries verified (1\xe2\x80\x93"
    "3)\n"
    "\n"
    "FILE defaults to the live log in $XDG_DATA_HOME/Veyrune (normally\n"
    "~/.local/share/Veyrune/security-events.jsonl). A missing or empty file\n"
    "reads as empty. The file is read in blocks and never held in memory whole.\n"
    "\n"
    "A file with content that cannot be read as a chain is reported as damaged:\n"
    "only blank lines, or lines before the chain that are not events.\n"
    "\n"
    "Exit status:\n"
    "  0  the chain is intact, not started, or the log is empty\n"
    "  1  the chain is broken or has a gap, or the log is damaged\n"
    "  2  the file cannot be read, or the arguments are wrong\n"
    "\n"
    "The chain shows edits, removals and reordering anywhere but at the end of\n"
    "the log. A removed tail or an edited last line goes unnoticed, and anyone\n"
    "who can write the file can recompute the whole chain.\n"
    "\n"
    "With --key, the verification key shown when sealing was switched on, the\n"
    "seals in security-events.seals beside FILE are checked too, and a second\n"
    "line tells through when the log is sealed, or what failed and where (exit\n"
    "status 1). Entries sealed before an intruder took the current key cannot\n"
    "be changed or removed unnoticed.\n"
    "\n"
    "With --central, FILE is a central collector's copy of one machine's log:\n"
    "the event lines and the seal lines as they were forwarded, interleaved.\n"
    "Seal lines are told from events by their shape and checked with --key; a\n"
    "line sent twice is counted once. A line then says how many of each were\n"
    "found. Without it, every line is an entry of the log, as stored.\n"
    "\n"
    "With --against, CENTRAL is a collector's copy and LOCAL the machine's log\n"
    "(default: the live log). Every entry the collector holds must still be in\n"
    "the local log as it was sent; entries lost locally (removed from the middle\n"
    "or cut from the end) and entries changed locally are listed by entry range\n"
    "and time, and the exit status is 1. Entries not at the collector yet are\n"
    "listed too but are no failure. Exit status 2: CENTRAL is missing or a\n"
    "file cannot be read.\n";

struct Arguments {
    std::optional<std::string> key;
    bool against = false;
    bool central = false;
    std::vector<std::string> files;
};

// Nothing after printing why the arguments are wrong or the help was asked for.
std::optional<Arguments> parseArguments(int argc, char** argv, int& status) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            status = 0;
            return std::nullopt;
        }
        if (argument == "--against") {
            arguments.against = true;
        } else if (argument == "--central") {
            arguments.central = true;
        } else if (argument == "--key" && i + 1 < argc) {
            arguments.key = argv[++i];
        } else if (argument.starts_with("--key=")) {
            arguments.key = argument.substr(6);
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::cerr << "veyrune-verify: unknown option " << argument << "\n\n" << kUsage;
            status = 2;
            return std::nullopt;
        } else {
            arguments.files.push_back(argument);
        }
    }
    std::string wrong;
    if (arguments.against && arguments.central) {
        wrong = "--against always reads CENTRAL as a collector's copy";
    } else if (arguments.against && arguments.key) {
        wrong = "--against compares the entries; check the seals without it";
    } else if (arguments.against && arguments.files.empty()) {
        wrong = "--against needs the collector's copy";
    } else if (arguments.files.size() > (arguments.against ? 2u : 1u)) {
        wrong = arguments.against ? "expected CENTRAL and at most one LOCAL file"
                                  : "expected at most one file";
    }
    if (!wrong.empty()) {
        std::cerr << "veyrune-verify: " << wrong << "\n\n" << kUsage;
        status = 2;
        return std::nullopt;
    }
    return arguments;
}

std::vector<std::string> sealLines(const std::filesystem::path& logFile) {
    auto path = logFile.parent_path() / "security-events.seals";
    auto& files = veyrune::PosixFileSystem::shared();
    std::vector<std::string> lines;
    if (!files.status(path)) {
        return lines;
    }
    std::istringstream text(files.readFile(path));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Every line of the file once, a last line without its newline too; the
// file's size (0 when there is none).
std::uint64_t readAll(const std::filesystem::path& file, veyrune::LogLineSink& sink) {
    veyrune::JSONLFileSecurityEventStore store(file, veyrune::PosixFileSystem::shared());
    auto read = store.readLinesAfter({}, sink);
    if (!read.tail.empty()) {
        sink.line(read.tail);
    }
    return read.position.file ? read.position.file->size : 0;
}

std::string collectorLine(const veyrune::CollectorCopy& copy, std::int64_t eventRepeats) {
    auto count = [](std::int64_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    return "Collector's copy \xe2\x80\x94 " + count(copy.sealLines(), "seal line", "seal lines") +
           " set apart, " +
           count(copy.repeatedSeals() + eventRepeats, "repeated line", "repeated lines") +
           " dropped";
}

// The lines printed about a log and the exit status.
struct Report {
    std::vector<std::string> lines;
    int status;
};

// Thrown to end a first pass at the chain's failure.
struct StopReading {};

// Every line of a local log is one of its entries.
class EveryLine final : public veyrune::LogLineSink {
  public:
    explicit EveryLine(std::function<void(std::string_view)> lines) : lines_(std::move(lines)) {}
    void restart() override {}
    void line(std::string_view text) override { lines_(text); }

  private:
    std::function<void(std::string_view)> lines_;
};

// One pass over a log (or a collector's copy of one), with its seals when
// given. A first pass keeps no line and ends where the chain fails; a second
// one leaves out exact repeats.
Report inspect(const std::filesystem::path& file,
               const std::optional<veyrune::VerificationKey>& key,
               const std::vector<std::string>& seals, bool central, bool firstPass) {
    veyrune::ChainInspection inspection;
    if (key) {
        inspection.sealed.emplace(*key, seals);
    }
    if (!firstPass) {
        inspection.repeats.emplace();
    }
    auto events = [&](std::string_view line) {
        inspection.line(line);
        if (central && firstPass && inspection.chain().hasStopped()) {
            throw StopReading{};
        }
    };
    veyrune::CollectorCopy copy(events, nullptr);
    EveryLine local(events);
    std::uint64_t size = 0;
    try {
        size = central ? readAll(file, copy) : readAll(file, local);
    } catch (const StopReading&) {
        return {{}, 1};
    }
    auto [text, status] = inspection.verdict(copy.sealLines() > 0 ? 0 : size);
    Report report{{text}, status};
    if (copy.sealLines() > 0 || copy.repeatedSeals() > 0 || inspection.repeatedLines > 0) {
        report.lines.push_back(collectorLine(copy, inspection.repeatedLines));
    }
    if (inspection.sealed) {
        auto sealed = inspection.sealed->result();
        report.lines.push_back(veyrune::sealSummaryText(sealed));
        if (std::holds_alternative<veyrune::SealVerificationResult::Failed>(sealed.value)) {
            report.status = 1;
        }
    }
    return report;
}

int verifyLog(const std::filesystem::path& file,
              const std::optional<veyrune::VerificationKey>& key, bool central) {
    std::vector<std::string> seals;
    if (key) {
        // Seals are checked before the log streams through; a collector's copy
        // holds its own, a local log has them beside it.
        if (central) {
            veyrune::CollectorCopy sealPass(nullptr, &seals);
            readAll(file, sealPass);
        }
        if (seals.empty()) {
            seals = sealLines(file);
        }
    }
    // A repeated event line can only make a pass fail (its seq goes back), so
    // a collector's copy passes in one pass without remembering its lines;
    // only a failed pass is read again with repeats dropped. A local log is
    // read once, every line an entry.
    auto report = inspect(file, key, seals, central, true);
    if (central && report.status != 0) {
        report = inspect(file, key, seals, central, false);
    }
    for (const auto& line : report.lines) {
        std::cout << line << "\n";
    }
    return report.status;
}

// Lines that reads the local log into the comparison.
class LocalLines final : public veyrune::LogLineSink {
  public:
    explicit LocalLines(veyrune::LogComparison& comparison) : comparison_(comparison) {}
    void restart() override {}
    void line(std::string_view text) override { comparison_.addLocal(text); }

  private:
    veyrune::LogComparison& comparison_;
};

int compareWithCollector(const std::filesystem::path& central, const std::filesystem::path& local) {
    if (!veyrune::PosixFileSystem::shared().status(central)) {
        std::cerr << "veyrune-verify: no collector's copy at " << central.string() << "\n";
        return 2;
    }
    veyrune::LogComparison comparison;
    LocalLines localLines(comparison);
    readAll(local, localLines);
    // The comparison finds repeated event lines itself, by the local lines they match.
    veyrune::CollectorCopy copy([&](std::string_view line) { comparison.addCentral(line); },
                                nullptr);
    readAll(central, copy);
    auto result = comparison.result();
    for (const auto& line : veyrune::comparisonText(result)) {
        std::cout << line << "\n";
    }
    if (copy.sealLines() > 0 || copy.repeatedSeals() > 0 || result.repeats > 0) {
        std::cout << collectorLine(copy, result.repeats) << "\n";
    }
    return result.lostOrChanged() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    int status = 2;
    auto arguments = parseArguments(argc, argv, status);
    if (!arguments) {
        return status;
    }
    std::optional<veyrune::VerificationKey> key;
    if (arguments->key) {
        try {
            key = veyrune::VerificationKey::parse(*arguments->key);
        } catch (const veyrune::VerificationKeyError& error) {
            std::cerr << "veyrune-verify: wrong key: " << error.what() << "\n";
            return 2;
        }
    }
    auto& files = arguments->files;
    auto liveLog = veyrune::JSONLFileSecurityEventStore::defaultFileURL();
    try {
        if (arguments->against) {
            return compareWithCollector(
                files.front(), files.size() > 1 ? std::filesystem::path(files[1]) : liveLog);
        }
        return verifyLog(files.empty() ? liveLog : std::filesystem::path(files.front()), key,
                         arguments->central);
    } catch (const std::exception& error) {
        std::cerr << "veyrune-verify: cannot read the log: " << error.what() << "\n";
        return 2;
    }
}
