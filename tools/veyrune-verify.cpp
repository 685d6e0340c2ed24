// veyrune-verify: checks the hash chain of a Veyrune event log on its own,
// so an auditor can judge an exported log without the application.

#include <cstring>
#include <filesystem>
#include <iostream>

#include "base/PosixFileSystem.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLFileSecurityEventStore.h"
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
    "~/.local/share/Veyrune/security-events.jsonl). A missing file reads as empty.\n"
    "\n"
    "Exit status:\n"
    "  0  the chain is intact, not started, or the log is empty\n"
    "  1  the chain is broken or has a gap\n"
    "  2  the file cannot be read, or the arguments are wrong\n"
    "\n"
    "The chain shows edits, removals and reordering anywhere but at the end of\n"
    "the log. A removed tail or an edited last line goes unnoticed, and anyone\n"
    "who can write the file can recompute the whole chain.\n";

int exitStatus(const veyrune::ChainVerificationResult& result) {
    using R = veyrune::ChainVerificationResult;
    if (std::holds_alternative<R::Broken>(result.value) ||
        std::holds_alternative<R::Gap>(result.value)) {
        return 1;
    }
    return 0;
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
        auto result = veyrune::EventChainVerifier::verify(store.readLines());
        std::cout << veyrune::chainSummaryText(veyrune::ChainStatusProjection::make(result))
                  << "\n";
        return exitStatus(result);
    } catch (const std::exception& error) {
        std::cerr << "veyrune-verify: cannot read the log: " << error.what() << "\n";
        return 2;
    }
}
