// veyrune-verify: checks the hash chain of a Veyrune event log on its own,
// so an auditor can judge an exported log without the application.

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>

#include "base/PosixFileSystem.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "record/SecurityEventDecoder.h"
#include "review/ChainStatusProjection.h"

namespace {

constexpr const char* kUsage =
    "Usage: veyrune-verify [FILE]\n"
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
    "who can write the file can recompute the whole chain.\n";

// Verifies the log in one pass and counts what cannot be read: lines before
// the chain that are not events (legacy events are fine).
class Inspection final : public veyrune::LogLineSink {
  public:
    void restart() override {}
    void line(std::string_view text) override {
        auto legacyBefore = verifier.legacyCount();
        verifier.add(text);
        if (verifier.legacyCount() != legacyBefore && !decoder_.decodeLogLine(text)) {
            ++unreadableLines;
        }
    }

    veyrune::EventChainVerifier verifier;
    std::int64_t unreadableLines = 0;

  private:
    veyrune::SecurityEventDecoder decoder_;
};

std::string lines(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " line" : " lines");
}

// The one line printed and the exit status.
std::pair<std::string, int> verdict(const Inspection& inspection, std::uint64_t fileSize) {
    using R = veyrune::ChainVerificationResult;
    auto result = inspection.verifier.result();
    auto summary = veyrune::chainSummaryText(veyrune::ChainStatusProjection::make(result));
    if (std::holds_alternative<R::Broken>(result.value) ||
        std::holds_alternative<R::Gap>(result.value)) {
        return {summary, 1};
    }
    if (std::holds_alternative<R::Empty>(result.value) && fileSize > 0) {
        return {"Log damaged \xe2\x80\x94 " + std::to_string(fileSize) +
                    " bytes but no entry, only blank lines",
                1};
    }
    if (inspection.unreadableLines > 0) {
        return {"Log damaged \xe2\x80\x94 " + lines(inspection.unreadableLines) +
                    " before the chain cannot be read as events; " + summary,
                1};
    }
    return {summary, 0};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "veyrune-verify: expected at most one file\n\n" << kUsage;
        return 2;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (argc == 2 && argv[1][0] == '-' && argv[1][1] != '\0') {
        std::cerr << "veyrune-verify: unknown option " << argv[1] << "\n\n" << kUsage;
        return 2;
    }
    std::filesystem::path file = argc == 2 ? std::filesystem::path(argv[1])
                                           : veyrune::JSONLFileSecurityEventStore::defaultFileURL();
    try {
        veyrune::JSONLFileSecurityEventStore store(file, veyrune::PosixFileSystem::shared());
        Inspection inspection;
        auto read = store.readLinesAfter({}, inspection);
        if (!read.tail.empty()) {
            inspection.line(read.tail);
        }
        auto [text, status] =
            verdict(inspection, read.position.file ? read.position.file->size : 0);
        std::cout << text << "\n";
        return status;
    } catch (const std::exception& error) {
        std::cerr << "veyrune-verify: cannot read the log: " << error.what() << "\n";
        return 2;
    }
}
