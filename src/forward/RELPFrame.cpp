#include "forward/RELPFrame.h"

#include <cctype>

namespace veyrune {

namespace {

[[noreturn]] void malformed(const char* what) {
    throw LineSinkError(std::string("malformed answer from the collector: ") + what);
}

// Reads the digits at `at` (at most `maxDigits`) into `value`; nothing when
// the field is not complete yet. Moves `at` past them.
bool readNumber(std::string_view text, std::size_t& at, std::size_t maxDigits, std::uint64_t& value,
                const char* field) {
    std::size_t start = at;
    value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        if (at - start == maxDigits) {
            malformed(field);
        }
        value = value * 10 + std::uint64_t(text[at] - '0');
        ++at;
    }
    if (at == text.size()) {
        return false;
    }
    if (at == start) {
        malformed(field);
    }
    return true;
}

}  // namespace

void RELPFrame::appendTo(std::string& out) const {
    out += std::to_string(transaction);
    out += ' ';
    out += command;
    out += ' ';
    out += std::to_string(data.size());
    if (!data.empty()) {
        out += ' ';
        out += data;
    }
    out += '\n';
}

std::uint32_t RELPFrame::next(std::uint32_t transaction) {
    return transaction >= maxTransaction ? 1 : transaction + 1;
}

int RELPFrame::responseCode() const {
    if (data.size() < 3 || !std::isdigit(static_cast<unsigned char>(data[0])) ||
        !std::isdigit(static_cast<unsigned char>(data[1])) ||
        !std::isdigit(static_cast<unsigned char>(data[2]))) {
        return 0;
    }
    return (data[0] - '0') * 100 + (data[1] - '0') * 10 + (data[2] - '0');
}

std::optional<RELPFrame> RELPFrameReader::next() {
    std::string_view text = buffer_;
    std::size_t at = 0;
    std::uint64_t transaction = 0;
    if (!readNumber(text, at, 9, transaction, "transaction number")) {
        return std::nullopt;
    }
    if (text[at++] != ' ') {
        malformed("transaction number");
    }
    std::size_t commandStart = at;
    while (at < text.size() && std::isalpha(static_cast<unsigned char>(text[at]))) {
        if (at - commandStart == 32) {
            malformed("command");
        }
        ++at;
    }
    if (at == text.size()) {
        return std::nullopt;
    }
    if (at == commandStart || text[at] != ' ') {
        malformed("command");
    }
    std::string command(text.substr(commandStart, at - commandStart));
    ++at;
    std::uint64_t length = 0;
    if (!readNumber(text, at, 9, length, "data length")) {
        return std::nullopt;
    }
    if (length > RELPFrame::maxDataLength) {
        malformed("data length past the limit");
    }
    // Some senders put a space after a zero length; the data starts after the space.
    if (text[at] == ' ') {
        ++at;
    } else if (length != 0 || text[at] != '\n') {
        malformed("data length");
    }
    if (text.size() < at + length + 1) {
        return std::nullopt;
    }
    if (text[at + length] != '\n') {
        malformed("frame end");
    }
    RELPFrame frame{std::uint32_t(transaction), std::move(command),
                    std::string(text.substr(at, length))};
    buffer_.erase(0, at + length + 1);
    return frame;
}

}  // namespace veyrune
