#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "record/SecurityEvent.h"

namespace veyrune {

class EventChainError : public Error {
  public:
    enum class Code { encodingFailed };
    explicit EventChainError(Code code)
        : Error("The event could not be encoded as UTF-8 text."), code_(code) {}
    Code code() const { return code_; }

  private:
    Code code_;
};

// The sealing rules of the event log's hash chain. Pure functions.
class EventChain {
  public:
    // 64 "0" characters: the link of the first line of a chain.
    static const std::string genesis;

    struct Header {
        std::int64_t seq;
        std::string prev;
        bool operator==(const Header&) const = default;
    };

    // The event in the event-log encoding, without a newline.
    // Throws EventChainError::encodingFailed when the text is not valid UTF-8.
    static std::string canonicalLine(const SecurityEvent& event);
    // SHA-256 of the line's bytes, as 64 lowercase hexadecimal characters.
    static std::string linkHash(std::string_view line);
    // The same without allocating, for walks over whole logs.
    using LinkHash = std::array<char, 64>;
    static LinkHash linkHashChars(std::string_view line);
    // What the next line must carry, given the non-empty lines in file order.
    // A last line that cannot carry a successor (no seq, or the largest seq)
    // restarts the chain.
    static Header nextHeader(const std::vector<std::string>& lines);
};

}  // namespace veyrune
