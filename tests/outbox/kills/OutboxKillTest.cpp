// The outbox under SIGKILL. A child process (child/OutboxKillChild.cpp) runs
// the delivery manager on a real SQLite file and sends to a local HTTPS server
// that holds each reply for a random moment; the harness kills it at a random
// moment once its run has reached the server, and starts it again, until it
// has killed it VEYRUNE_OUTBOX_KILLS times (default 100). A last run then
// delivers what is left. Every alert must have reached the server, and an alert
// may arrive again only after a run that sent it was killed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <thread>

#include "support/ChildProcess.h"
#include "support/LocalHTTPSServer.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using namespace veyrune::test;
using namespace std::chrono_literals;

namespace {

constexpr int kAlertsPerRun = 3;

int killTarget() {
    const char* text = std::getenv("VEYRUNE_OUTBOX_KILLS");
    return text ? std::atoi(text) : 100;
}

// Whether the child has printed "done" by now; reads what it has printed.
bool saidDone(ChildProcess& child, bool& done) {
    while (auto line = child.readLine(1ms)) {
        done = done || *line == "done";
    }
    return done;
}

struct Arrival {
    std::string alert;
    int run;
};

std::vector<Arrival> arrivals(const LocalHTTPSServer& server) {
    std::vector<Arrival> all;
    for (const auto& request : server.requests()) {
        auto body = nlohmann::json::parse(request.body);
        int run = std::stoi(request.headers.at("Authorization").substr(4));
        all.push_back({body.at("summary").get<std::string>(), run});
    }
    return all;
}

bool runHasArrived(const LocalHTTPSServer& server, int run) {
    std::string header = "run " + std::to_string(run);
    for (const auto& request : server.requests()) {
        if (request.headers.at("Authorization") == header) {
            return true;
        }
    }
    return false;
}

TEST(OutboxKills, EveryAlertArrivesAndOnlyAKillRepeatsOne) {
    LocalHTTPSServer server;
    server.delayReplies(40ms);
    TempDirectory folder;
    auto options = server.clientOptions();
    auto launch = [&](int run, const std::vector<std::string>& alerts) {
        std::vector<std::string> arguments = {
            VEYRUNE_OUTBOX_KILL_CHILD, (folder / "VeyruneModel.sqlite").string(),
            *options.connectTo, *options.caFile, std::to_string(run)};
        arguments.insert(arguments.end(), alerts.begin(), alerts.end());
        return std::make_unique<ChildProcess>(arguments);
    };

    std::mt19937 random(20261204);
    std::set<std::string> enqueued;
    std::set<int> killedRuns;
    int killsWithReplyHeld = 0, run = 0;
    const int target = killTarget();
    while (int(killedRuns.size()) < target && run < 3 * target) {
        ++run;
        std::vector<std::string> alerts;
        for (int i = 0; i < kAlertsPerRun; ++i) {
            alerts.push_back("alert " + std::to_string(run) + "." + std::to_string(i));
        }
        auto child = launch(run, alerts);
        ASSERT_TRUE(child->waitForLine("enqueued", 30s)) << "run " << run;
        enqueued.insert(alerts.begin(), alerts.end());
        bool done = false;
        while (!runHasArrived(server, run) && !saidDone(*child, done)) {
            std::this_thread::sleep_for(1ms);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 50));
        if (saidDone(*child, done)) {
            EXPECT_EQ(child->wait(), 0);
            continue;
        }
        killsWithReplyHeld += server.requestsInProgress() > 0 ? 1 : 0;
        child->kill();
        killedRuns.insert(run);
    }
    ++run;
    auto last = launch(run, {});
    ASSERT_TRUE(last->waitForLine("done", 60s));
    EXPECT_EQ(last->wait(), 0);

    std::map<std::string, std::vector<int>> runsByAlert;
    auto all = arrivals(server);
    for (const auto& arrival : all) {
        runsByAlert[arrival.alert].push_back(arrival.run);
    }
    int duplicates = 0;
    for (const auto& alert : enqueued) {
        // Sorted: a killed run's last request may be read after the next run's.
        auto runs = runsByAlert[alert];
        std::sort(runs.begin(), runs.end());
        ASSERT_FALSE(runs.empty()) << alert << " never arrived";
        for (std::size_t i = 0; i + 1 < runs.size(); ++i) {
            EXPECT_LT(runs[i], runs[i + 1]) << alert << " arrived twice in run " << runs[i];
            EXPECT_TRUE(killedRuns.contains(runs[i]))
                << alert << " arrived again after run " << runs[i] << ", which was not killed";
        }
        duplicates += int(runs.size()) - 1;
    }
    EXPECT_EQ(runsByAlert.size(), enqueued.size()) << "an alert nobody enqueued arrived";
    EXPECT_EQ(int(killedRuns.size()), target);
    std::cout << "outbox kills: " << killedRuns.size() << " kills (" << killsWithReplyHeld
              << " while the server held a reply) in " << run << " runs; " << enqueued.size()
              << " alerts, " << all.size() << " arrivals, " << duplicates
              << " repeated after a kill\n";
}

}  // namespace
