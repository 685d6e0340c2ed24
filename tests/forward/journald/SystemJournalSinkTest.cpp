#include "forward/SystemJournalSink.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>

#include "base/PosixFileSystem.h"
#include "forward/JournalEntry.h"
#include "forward/journald/RealJournald.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "seal/Seal.h"
#include "support/ChainLogCases.h"
#include "support/ChainPrinting.h"
#include "support/EventFactory.h"
#include "support/SealedHistory.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using test::RealJournald;

namespace {

std::vector<ForwardedLine> eventLines(const std::vector<std::string>& lines) {
    std::vector<ForwardedLine> forwarded;
    for (const auto& line : lines) {
        forwarded.push_back({ForwardedLog::events, line});
    }
    return forwarded;
}

std::string sealLine(std::int64_t epoch, std::int64_t seq, const std::string& lastLine) {
    Seal seal;
    seal.epoch = epoch;
    seal.from = referenceDate() + std::chrono::minutes(15 * epoch);
    seal.to = seal.from + std::chrono::minutes(15);
    seal.sealedAt = seal.to;
    seal.seq = seq;
    seal.lineHash = EventChain::linkHash(lastLine);
    seal.prev = std::string(64, '0');
    return seal.line(SealKey::Bytes{});
}

struct ToolRun {
    int status;
    std::string out;
};

// The built veyrune-verify with `arguments`; its standard output and exit status.
ToolRun verifyTool(const std::string& arguments) {
    const char* folder = std::getenv("VEYRUNE_BINARY_DIR");
    std::string command =
        std::string(folder ? folder : ".") + "/tools/veyrune-verify " + arguments + " 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof(buffer), pipe.get())) {
        out += buffer;
    }
    int status = pipe ? ::pclose(pipe.release()) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// How a send ended: "took N", or the LineSinkError's text.
std::string outcomeOf(const std::function<std::size_t()>& send) {
    try {
        return "took " + std::to_string(send());
    } catch (const LineSinkError& error) {
        return error.what();
    }
}

constexpr auto kStopped = "sending to the system journal was stopped";

ChainVerificationResult chainOf(const std::vector<RealJournald::Entry>& entries) {
    EventChainVerifier verifier;
    for (const auto& entry : entries) {
        if (auto line = entry.find("VEYRUNE_LINE"); line != entry.end()) {
            verifier.add(line->second);
        }
    }
    return verifier.result();
}

// Everything the journal holds for `sent`, in order, each once.
void expectExactly(const std::vector<RealJournald::Entry>& entries,
                   const std::vector<ForwardedLine>& sent) {
    ASSERT_EQ(entries.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        auto name = sent[i].log == ForwardedLog::seals ? "VEYRUNE_SEAL" : "VEYRUNE_LINE";
        auto field = entries[i].find(name);
        ASSERT_NE(field, entries[i].end()) << "entry " << i;
        EXPECT_EQ(field->second, sent[i].text) << "entry " << i;
    }
}

class SystemJournalSinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        try {
            journald = std::make_unique<RealJournald>();
        } catch (const std::exception& error) {
            FAIL() << error.what();
        }
    }

    std::unique_ptr<RealJournald> journald;
};

}  // namespace

TEST_F(SystemJournalSinkTest, RecordedEventsArriveWithTheirFieldsAndTheirLinesVerifyAsAChain) {
    test::TempDirectory dir;
    JSONLFileSecurityEventStore store(dir / "security-events.jsonl", PosixFileSystem::shared());
    std::vector<SecurityEvent> recorded;
    for (auto kind : allSecurityEventKinds) {
        // Names come from whoever names a device or a network: any text.
        auto event =
            test::makeEvent(kind, referenceDate() + std::chrono::hours(recorded.size()),
                            std::string(displayTitle(kind)) + std::string(": name\nwith\0NUL", 15));
        event.context.machineName = "Laptop";
        if (recorded.size() % 2 == 0) {
            event.context.wifiSSID = std::string("Caf\xc3\xa9\r\n\0\x7f", 9);
            event.context.batteryPercent = 40 + static_cast<int>(recorded.size());
        }
        store.append(event);
        recorded.push_back(event);
    }
    auto lines = store.readLines();
    auto sent = eventLines(lines);
    sent.insert(sent.begin() + 5, {ForwardedLog::seals, sealLine(1, 5, lines[4])});
    sent.push_back({ForwardedLog::seals, sealLine(2, 11, lines.back())});

    SystemJournalSink sink;
    ASSERT_EQ(sink.send(sent), sent.size());
    journald->sync();
    auto entries = journald->entries();
    ASSERT_NO_FATAL_FAILURE(expectExactly(entries, sent));

    std::size_t next = 0;
    for (const auto& entry : entries) {
        if (entry.contains("VEYRUNE_SEAL")) {
            EXPECT_EQ(entry.at("MESSAGE_ID"), sealJournalMessageID);
            continue;
        }
        const auto& event = recorded.at(next++);
        const RealJournald::Entry expected = {
            {"MESSAGE", event.summary},
            {"MESSAGE_ID", std::string(journalMessageID(event.kind))},
            {"PRIORITY", std::to_string(journalPriority(event.kind))},
            {"SYSLOG_IDENTIFIER", "veyrune"},
            {"VEYRUNE_KIND", std::string(rawValue(event.kind))},
            {"VEYRUNE_SEQ", std::to_string(next)},
            {"VEYRUNE_ID", event.id.uuidString()},
            {"VEYRUNE_OCCURRED_AT", iso8601String(event.occurredAt)},
            {"VEYRUNE_MACHINE_NAME", "Laptop"},
        };
        for (const auto& [name, value] : expected) {
            EXPECT_EQ(entry.count(name) ? entry.at(name) : "(missing)", value)
                << rawValue(event.kind) << " " << name;
        }
        EXPECT_EQ(entry.contains("VEYRUNE_WIFI_SSID"), event.context.wifiSSID.has_value());
        if (event.context.wifiSSID) {
            EXPECT_EQ(entry.at("VEYRUNE_WIFI_SSID"), *event.context.wifiSSID);
            EXPECT_EQ(entry.at("VEYRUNE_BATTERY_PERCENT"),
                      std::to_string(*event.context.batteryPercent));
        }
    }
    EXPECT_EQ(next, recorded.size());
    EXPECT_EQ(chainOf(entries), ChainVerificationResult::intact(11, 0, 1, 11));

    // The recipe for checking the chain from the journal: the VEYRUNE_LINE
    // values, one a line, are the log itself, and veyrune-verify takes them.
    auto fromJournal = dir / "security-events-from-journal.jsonl";
    test::writeFile(fromJournal, journald->fieldLines("VEYRUNE_LINE"));
    EXPECT_EQ(test::readFile(fromJournal), test::readFile(dir / "security-events.jsonl"));
    auto verdict = verifyTool("'" + fromJournal.string() + "'");
    EXPECT_EQ(verdict.status, 0) << verdict.out;
    EXPECT_TRUE(verdict.out.starts_with("Chain intact \u2014 11 entries verified")) << verdict.out;
}

TEST_F(SystemJournalSinkTest, SealsTravelBesideTheEventsAndVerifyWithTheKeyFromTheJournal) {
    test::SealedHistory history;
    history.epoch(3);
    history.epoch(0);
    history.epoch(2);
    auto sent = eventLines(test::fileLines(history.log()));
    for (const auto& seal : test::fileLines(history.seals())) {
        sent.push_back({ForwardedLog::seals, seal});
    }
    SystemJournalSink sink;
    ASSERT_EQ(sink.send(sent), sent.size());
    journald->sync();

    test::TempDirectory central;
    test::writeFile(central / "security-events.jsonl", journald->fieldLines("VEYRUNE_LINE"));
    test::writeFile(central / "security-events.seals", journald->fieldLines("VEYRUNE_SEAL"));
    EXPECT_EQ(test::readFile(central / "security-events.seals"), test::readFile(history.seals()));
    auto verdict = verifyTool("--key '" + history.key.text() + "' '" +
                              (central / "security-events.jsonl").string() + "'");
    EXPECT_EQ(verdict.status, 0) << verdict.out;
    EXPECT_NE(verdict.out.find("Sealed through"), std::string::npos) << verdict.out;
}

TEST_F(SystemJournalSinkTest, ABurstOfTenThousandLinesArrivesWholeAtAPaceTheRateLimitAllows) {
    // journald drops what a unit logs beyond its rate limit and tells the
    // sender nothing; the sink's pace keeps below it. A faster pace than the
    // default keeps the test short.
    const SystemJournalSink::Pace pace{2500, std::chrono::seconds(1)};
    auto sent = eventLines(test::sealedLines({}, 10000));
    SystemJournalSink sink(std::chrono::seconds(10), pace);
    std::span<const ForwardedLine> rest = sent;
    while (!rest.empty()) {
        rest = rest.subspan(sink.send(rest.first(std::min<std::size_t>(rest.size(), 500))));
    }
    journald->sync();
    auto entries = journald->entries();
    ASSERT_NO_FATAL_FAILURE(expectExactly(entries, sent));
    EXPECT_EQ(chainOf(entries), ChainVerificationResult::intact(10000, 0, 1, 10000));

    // When each datagram was sent, by the kernel's stamp on it: no window of
    // the pace's length holds more than its lines (1 ms for clock slewing).
    std::vector<std::int64_t> sentAt;
    for (const auto& entry : entries) {
        sentAt.push_back(std::stoll(entry.at("_SOURCE_REALTIME_TIMESTAMP")));
    }
    const std::int64_t window = 1000000 - 1000;
    for (std::size_t i = pace.lines; i < sentAt.size(); ++i) {
        ASSERT_GE(sentAt[i] - sentAt[i - pace.lines], window) << "entry " << i;
    }
}

TEST_F(SystemJournalSinkTest, CancelEndsAWaitForThePace) {
    auto sent = eventLines(test::sealedLines({}, 2));
    std::span<const ForwardedLine> all = sent;
    SystemJournalSink sink(std::chrono::seconds(10), {1, std::chrono::hours(1)});
    ASSERT_EQ(sink.send(all), 1u);
    auto held = std::async(std::launch::async,
                           [&] { return outcomeOf([&] { return sink.send(all.subspan(1)); }); });
    sink.cancel();
    EXPECT_EQ(held.get(), kStopped);
}

TEST_F(SystemJournalSinkTest, AJournalThatIsNotRunningIsAnErrorNotASilentSuccess) {
    auto sent = eventLines(test::sealedLines({}, 3));
    // A line that cannot be read still goes out, byte for byte.
    sent.push_back({ForwardedLog::events, std::string("\xff\xfe{\"seq\":\0", 10)});
    SystemJournalSink sink;

    auto send = [&] { return sink.send(sent); };
    // An empty send is how a forwarder asks whether the route is there.
    auto ask = [&] { return sink.send({}); };
    EXPECT_EQ(outcomeOf(ask), "took 0");
    journald->stop();  // the socket file stays behind, with nobody reading it
    EXPECT_EQ(outcomeOf(send), "the system journal is not running");
    EXPECT_EQ(outcomeOf(ask), "the system journal is not running");
    // No socket at all: libsystemd alone reports success here and drops the line.
    std::filesystem::remove_all("/run/systemd/journal");
    EXPECT_EQ(outcomeOf(send), "the system journal is not running");
    EXPECT_EQ(outcomeOf(ask), "the system journal is not running");

    journald->start();
    ASSERT_EQ(sink.send(sent), sent.size());
    journald->sync();
    auto entries = journald->entries();
    ASSERT_NO_FATAL_FAILURE(expectExactly(entries, sent));
    EXPECT_EQ(entries.back().at("MESSAGE"), "Event log line that cannot be read");
    EXPECT_EQ(entries.back().at("PRIORITY"), "4");
}

TEST_F(SystemJournalSinkTest, AStalledJournalFailsTheSendAndCancelEndsOneItHolds) {
    auto sent = eventLines(test::sealedLines({}, 2000));
    std::span<const ForwardedLine> all = sent;
    journald->pause();

    // The socket's queue fills; the sink stops there instead of blocking.
    SystemJournalSink impatient(std::chrono::milliseconds(200), {});
    auto taken = impatient.send(all);
    ASSERT_LT(taken, sent.size());
    auto rest = all.subspan(taken);
    EXPECT_EQ(outcomeOf([&] { return impatient.send(rest); }),
              "the system journal is not taking entries");

    // With the default patience only cancel() can end the wait.
    SystemJournalSink sink;
    auto send = [&] { return sink.send(rest); };
    auto held = std::async(std::launch::async, [&] { return outcomeOf(send); });
    sink.cancel();
    EXPECT_EQ(held.get(), kStopped);
    EXPECT_EQ(outcomeOf(send), kStopped) << "cancelled until reset()";

    journald->resume();
    sink.reset();
    while (!rest.empty()) {
        rest = rest.subspan(sink.send(rest));
    }
    journald->sync();
    auto entries = journald->entries();
    ASSERT_NO_FATAL_FAILURE(expectExactly(entries, sent));
    EXPECT_EQ(chainOf(entries), ChainVerificationResult::intact(2000, 0, 1, 2000));
}
