#include "forward/RELPLineSink.h"

#include <algorithm>
#include <deque>

#include "forward/RELPFrame.h"
#include "forward/SyslogMessage.h"
#include "forward/TLSChannel.h"

namespace veyrune {

namespace {

constexpr const char* kOffers = "relp_version=0\nrelp_software=veyrune\ncommands=syslog";

RELPFrame awaitFrame(TLSChannel& channel, RELPFrameReader& reader) {
    for (;;) {
        if (auto frame = reader.next()) {
            return std::move(*frame);
        }
        reader.feed(channel.read());
    }
}

std::string firstLine(const std::string& text) {
    return text.substr(0, std::min(text.find('\n'), std::size_t(200)));
}

// Transactions sent and not yet answered, oldest first.
class Outstanding {
  public:
    void add(std::uint32_t transaction) { entries_.push_back({transaction, false}); }
    std::size_t size() const { return entries_.size(); }
    // Marks the answer; returns how many lines at the front are now answered.
    std::size_t answer(std::uint32_t transaction) {
        auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& e) { return e.transaction == transaction; });
        if (found == entries_.end() || found->answered) {
            throw LineSinkError("malformed answer from the collector: transaction " +
                                std::to_string(transaction) + " was not waiting");
        }
        found->answered = true;
        std::size_t done = 0;
        while (!entries_.empty() && entries_.front().answered) {
            entries_.pop_front();
            ++done;
        }
        return done;
    }

  private:
    struct Entry {
        std::uint32_t transaction;
        bool answered;
    };
    std::deque<Entry> entries_;
};

}  // namespace

RELPLineSink::RELPLineSink(Configuration configuration)
    : configuration_(std::move(configuration)) {}

void RELPLineSink::cancel() {
    cancel_.raise();
}

void RELPLineSink::reset() {
    cancel_.clear();
}

void RELPLineSink::open(TLSChannel& channel, RELPFrameReader& reader) {
    std::string out;
    RELPFrame{1, "open", kOffers}.appendTo(out);
    channel.write(out);
    auto answer = awaitFrame(channel, reader);
    if (answer.command == "serverclose") {
        // rsyslog ends a session so when the client certificate's name is not permitted.
        throw LineSinkError(configuration_.certificateFile.empty()
                                ? "the collector refused the session"
                                : "the collector refused the session: is the client "
                                  "certificate's name permitted there?");
    }
    if (answer.command != "rsp" || answer.transaction != 1) {
        throw LineSinkError("malformed answer from the collector: no answer to the opening");
    }
    if (answer.responseCode() != 200) {
        throw LineSinkError("the collector refused the session: " + firstLine(answer.data));
    }
}

void RELPLineSink::close(TLSChannel& channel, RELPFrameReader& reader,
                         std::uint32_t transaction) noexcept {
    // Every line is answered already: whatever happens here loses nothing.
    try {
        std::string out;
        RELPFrame{transaction, "close", ""}.appendTo(out);
        channel.write(out);
        for (;;) {
            auto answer = awaitFrame(channel, reader);
            if (answer.command == "serverclose" || answer.transaction == transaction) {
                break;
            }
        }
    } catch (const LineSinkError&) {
        // The collector went first.
    }
    channel.close();
}

std::size_t RELPLineSink::send(std::span<const ForwardedLine> lines) {
    if (cancel_.raised()) {
        throw LineSinkError("cancelled");
    }
    const auto& c = configuration_;
    TLSChannel channel({c.address, c.caFile, c.certificateFile, c.keyFile, c.timeoutSeconds},
                       cancel_);
    RELPFrameReader reader;
    open(channel, reader);
    std::uint32_t transaction = 1;
    std::size_t sent = 0;
    std::size_t taken = 0;
    Outstanding outstanding;
    try {
        while (taken < lines.size()) {
            std::string out;
            for (; sent < lines.size() && outstanding.size() < window; ++sent) {
                transaction = RELPFrame::next(transaction);
                outstanding.add(transaction);
                RELPFrame{transaction, "syslog", SyslogMessage::format(lines[sent], c.hostName)}
                    .appendTo(out);
            }
            if (!out.empty()) {
                channel.write(out);
            }
            auto answer = awaitFrame(channel, reader);
            if (answer.command == "serverclose") {
                throw LineSinkError("the collector ended the session");
            }
            if (answer.command != "rsp") {
                throw LineSinkError("malformed answer from the collector: command " +
                                    answer.command);
            }
            if (answer.responseCode() != 200) {
                outstanding.answer(answer.transaction);  // it must be one of ours
                throw LineSinkError("the collector refused a line: " + firstLine(answer.data));
            }
            taken += outstanding.answer(answer.transaction);
        }
    } catch (const LineSinkError&) {
        // What was answered stays taken; the error shows with the next send.
        if (taken > 0) {
            return taken;
        }
        throw;
    }
    close(channel, reader, RELPFrame::next(transaction));
    return taken;
}

}  // namespace veyrune
