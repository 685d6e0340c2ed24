#include <gtest/gtest.h>

#include <thread>

#include "forward/RELPFrame.h"
#include "forward/RELPLineSink.h"
#include "support/FakeRELPCollector.h"
#include "support/TempDirectory.h"

namespace veyrune {
namespace {

using test::FakeRELPCollector;
using Session = FakeRELPCollector::Session;

std::vector<ForwardedLine> numberedLines(int count) {
    std::vector<ForwardedLine> lines;
    for (int i = 0; i < count; ++i) {
        lines.push_back({ForwardedLog::events, R"({"seq":)" + std::to_string(i + 1) + "}"});
    }
    return lines;
}

RELPLineSink sinkFor(const FakeRELPCollector& collector, unsigned timeoutSeconds = 10) {
    return RELPLineSink({*CollectorAddress::parse(collector.address()),
                         collector.certificateFile().string(), "", "", "laptop", timeoutSeconds});
}

// The line bodies the collector got, in order.
std::vector<std::string> bodies(const FakeRELPCollector& collector) {
    std::vector<std::string> result;
    for (const auto& message : collector.received()) {
        result.push_back(message.substr(message.rfind("] ") + 2));
    }
    return result;
}

TEST(RELPLineSink, LinesTheCollectorGotButNeverAnsweredAreNotTakenAndComeAgain) {
    struct Case {
        int answered;  // before the collector dies with every line of the batch in hand
    };
    for (Case c : {Case{0}, Case{3}, Case{9}}) {
        SCOPED_TRACE(c.answered);
        test::TempDirectory dir;
        FakeRELPCollector collector(dir.path(), {Session{c.answered, "", 10}});
        auto sink = sinkFor(collector);
        auto lines = numberedLines(10);
        std::size_t taken = 0;
        if (c.answered == 0) {
            EXPECT_THROW(sink.send(lines), LineSinkError);
        } else {
            taken = sink.send(lines);
        }
        EXPECT_EQ(taken, std::size_t(c.answered));
        EXPECT_EQ(sink.send(std::span(lines).subspan(taken)), lines.size() - taken);
        // Everything twice from the first unanswered line: a repeat, never a gap.
        std::vector<std::string> expected;
        for (const auto& line : lines) {
            expected.push_back(line.text);
        }
        for (std::size_t i = taken; i < lines.size(); ++i) {
            expected.push_back(lines[i].text);
        }
        EXPECT_EQ(bodies(collector), expected);
    }
}

TEST(RELPLineSink, ABadAnswerIsAClearErrorAndTheNextSessionWorks) {
    struct Case {
        const char* name;
        std::string reply;
        int dropAfter;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"answer to a transaction never sent", "7 rsp 6 200 OK\n", -1, "was not waiting"},
        {"garbage", "hello there\n", -1, "malformed answer"},
        {"length past the limit", "2 rsp 999999999 200 OK", -1, "data length past the limit"},
        {"length not a number", "2 rsp x\n", -1, "malformed answer"},
        {"data longer than its length", "2 rsp 2 200 OK\n", -1, "frame end"},
        {"unknown command", "2 bogus 0\n", -1, "command bogus"},
        {"a refusal", "2 rsp 12 500 no space\n", -1, "refused a line: 500 no space"},
        {"serverclose", "0 serverclose 0\n", -1, "ended the session"},
        {"connection cut mid-answer", "2 rsp 6 200", 1, "closed the connection"},
        {"silence", "", -1, "no answer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDirectory dir;
        FakeRELPCollector collector(dir.path(), {Session{0, c.reply, c.dropAfter}});
        auto sink = sinkFor(collector, 1);
        auto lines = numberedLines(1);
        try {
            sink.send(lines);
            ADD_FAILURE() << "no error";
        } catch (const LineSinkError& error) {
            EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << error.what();
        }
        EXPECT_EQ(sink.send(lines), 1u);
        EXPECT_EQ(bodies(collector), std::vector<std::string>(2, lines[0].text));
    }
}

TEST(RELPLineSink, FramesSplitAnywhereInTheStreamReadTheSame) {
    const std::string stream = "1 rsp 6 200 OK\n0 serverclose 0\n12 rsp 0 \n3 rsp 9 500 a\nb c\n";
    for (std::size_t piece : {1u, 2u, 7u, 100u}) {
        RELPFrameReader reader;
        std::vector<RELPFrame> frames;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            reader.feed(std::string_view(stream).substr(at, piece));
            while (auto frame = reader.next()) {
                frames.push_back(*frame);
            }
        }
        ASSERT_EQ(frames.size(), 4u) << piece;
        EXPECT_EQ(frames[0].responseCode(), 200);
        EXPECT_EQ(frames[1].command, "serverclose");
        EXPECT_EQ(frames[2].transaction, 12u);
        EXPECT_EQ(frames[3].data, "500 a\nb c");
    }
    EXPECT_EQ(RELPFrame::next(RELPFrame::maxTransaction), 1u);
}

TEST(RELPLineSink, CancelEndsAWaitOnASilentCollectorAtOnce) {
    test::TempDirectory dir;
    FakeRELPCollector collector(dir.path(), {Session{0, "", -1}});
    auto sink = sinkFor(collector, 3600);
    auto lines = numberedLines(1);
    std::thread sender([&] { EXPECT_THROW(sink.send(lines), LineSinkError); });
    while (collector.received().empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    sink.cancel();
    sender.join();  // with an hour's timeout, only the cancel ends it
    sink.reset();
}

}  // namespace
}  // namespace veyrune
