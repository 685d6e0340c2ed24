#include "seal/SealChainCheck.h"

#include <algorithm>
#include <sstream>

#include "record/EventChain.h"
#include "seal/Seal.h"

namespace veyrune {

std::optional<SealChainStatus> checkSealChain(const std::vector<std::string>& lines) {
    std::optional<Seal> last;
    std::int64_t number = 0;
    for (const auto& line : lines) {
        ++number;
        auto seal = Seal::parse(line);
        if (!seal) {
            continue;
        }
        if (last) {
            bool wentBack = seal->epoch < last->epoch;
            bool leftOut = seal->epoch > last->epoch + 1 && !last->closing;
            if (wentBack || leftOut || seal->prev != last->mac) {
                return SealChainStatus{false, {}, number};
            }
        } else if (seal->prev != EventChain::genesis) {
            return SealChainStatus{false, {}, number};
        }
        last = std::move(seal);
    }
    if (!last) {
        return std::nullopt;
    }
    return SealChainStatus{true, std::min(last->to, last->sealedAt), 0};
}

std::optional<SealChainStatus> readSealChainStatus(const FileSystem& files,
                                                   const std::filesystem::path& sealsFile) {
    if (!files.status(sealsFile)) {
        return std::nullopt;
    }
    std::istringstream text(files.readFile(sealsFile));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return checkSealChain(lines);
}

}  // namespace veyrune
