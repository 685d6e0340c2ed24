// The outbox under SIGKILL. A child process (child/OutboxKillChild.cpp) runs
// the delivery manager on a real SQLite file and sends to a local HTTPS server
// that holds each reply for a random moment; the harness kills it at a random
// moment once its run has reached the server, and starts it again, until it
// has killed it VEYRUNE_OUTBOX_KILLS times (default 100). A last run then
// delivers what is left. Every alert must have reached the server, and an alert
// may arrive again only after a run that sent it was killed.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <thread>

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

// One run of the child, its standard output read line by line.
class ChildRun {
  public:
    explicit ChildRun(const std::vector<std::string>& arguments) {
        int pipeEnds[2];
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        std::vector<char*> argv;
        for (const auto& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(pipeEnds[1], STDOUT_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(pipeEnds[1]);
        output_ = pipeEnds[0];
    }
    ~ChildRun() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(output_);
    }

    // Waits (at most `patience`) until the child has printed `word`.
    bool waitFor(const std::string& word, std::chrono::milliseconds patience) {
        auto deadline = std::chrono::steady_clock::now() + patience;
        while (!said_.contains(word)) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readSome(left)) {
                return false;
            }
        }
        return true;
    }
    bool hasSaid(const std::string& word) {
        readSome(0ms);
        return said_.contains(word);
    }
    void killNow() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    int exitCode() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    bool readSome(std::chrono::milliseconds patience) {
        pollfd ready{output_, POLLIN, 0};
        if (::poll(&ready, 1, int(patience.count())) <= 0) {
            return patience.count() == 0;
        }
        char buffer[256];
        auto count = ::read(output_, buffer, sizeof buffer);
        if (count <= 0) {
            return false;
        }
        pending_.append(buffer, std::size_t(count));
        for (auto end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
            said_.insert(pending_.substr(0, end));
            pending_.erase(0, end + 1);
        }
        return true;
    }

    pid_t pid_ = -1;
    int output_ = -1;
    std::string pending_;
    std::set<std::string> said_;
};

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
        return std::make_unique<ChildRun>(arguments);
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
        ASSERT_TRUE(child->waitFor("enqueued", 30s)) << "run " << run;
        enqueued.insert(alerts.begin(), alerts.end());
        while (!runHasArrived(server, run) && !child->hasSaid("done")) {
            std::this_thread::sleep_for(1ms);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 50));
        if (child->hasSaid("done")) {
            EXPECT_EQ(child->exitCode(), 0);
            continue;
        }
        killsWithReplyHeld += server.requestsInProgress() > 0 ? 1 : 0;
        child->killNow();
        killedRuns.insert(run);
    }
    ++run;
    auto last = launch(run, {});
    ASSERT_TRUE(last->waitFor("done", 60s));
    EXPECT_EQ(last->exitCode(), 0);

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
