// veyrune-verify: checks the hash chain of a Veyrune event log on its own,
// so an auditor can judge an exported log without the application.

#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/PosixFileSystem.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "record/SecurityEventDecoder.h"
#include "review/ChainStatusProjection.h"
#include "seal/SealSummaryText.h"
#include "seal/SealedLogVerifier.h"

namespace {

constexpr const char* kUsage =
    "Usage: veyrune-verify [--key KEY] [FILE]\n"
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
    "be changed or removed unnoticed.\n";

// Verifies the log in one pass and counts what cannot be read: lines before
// the chain that are not events (legacy events are fine).
class Inspection final : public veyrune::LogLineSink {
  public:
    void restart() override {}
    void line(std::string_view text) override {
        auto legacyBefore = chain().legacyCount();
        if (sealed) {
            sealed->add(text);
        } else {
            verifier_.add(text);
        }
        if (chain().legacyCount() != legacyBefore && !decoder_.decodeLogLine(text)) {
            ++unreadableLines;
        }
    }
    const veyrune::EventChainVerifier& chain() const {
        return sealed ? sealed->chain() : verifier_;
    }

    std::optional<veyrune::SealedLogVerifier> sealed;
    std::int64_t unreadableLines = 0;

  private:
    veyrune::EventChainVerifier verifier_;
    veyrune::SecurityEventDecoder decoder_;
};

std::string lines(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " line" : " lines");
}

// The one line printed and the exit status.
std::pair<std::string, int> verdict(const Inspection& inspection, std::uint64_t fileSize) {
    using R = veyrune::ChainVerificationResult;
    auto result = inspection.chain().result();
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

struct Arguments {
    std::optional<std::string> key;
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
        if (argument == "--key" && i + 1 < argc) {
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
    if (arguments.files.size() > 1) {
        std::cerr << "veyrune-verify: expected at most one file\n\n" << kUsage;
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
    std::filesystem::path file = arguments->files.empty()
                                     ? veyrune::JSONLFileSecurityEventStore::defaultFileURL()
                                     : std::filesystem::path(arguments->files.front());
    try {
        veyrune::JSONLFileSecurityEventStore store(file, veyrune::PosixFileSystem::shared());
        Inspection inspection;
        if (key) {
            inspection.sealed.emplace(*key, sealLines(file));
        }
        auto read = store.readLinesAfter({}, inspection);
        if (!read.tail.empty()) {
            inspection.line(read.tail);
        }
        auto [text, verdictStatus] =
            verdict(inspection, read.position.file ? read.position.file->size : 0);
        status = verdictStatus;
        std::cout << text << "\n";
        if (inspection.sealed) {
            auto sealed = inspection.sealed->result();
            std::cout << veyrune::sealSummaryText(sealed) << "\n";
            if (std::holds_alternative<veyrune::SealVerificationResult::Failed>(sealed.value)) {
                status = 1;
            }
        }
        return status;
    } catch (const std::exception& error) {
        std::cerr << "veyrune-verify: cannot read the log: " << error.what() << "\n";
        return 2;
    }
}
