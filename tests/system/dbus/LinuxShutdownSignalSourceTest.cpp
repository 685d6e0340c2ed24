#include "system/linux/LinuxShutdownSignalSource.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>

#include "PrivateBus.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

const std::vector<QString> shutdownInhibitor = {"shutdown", "Veyrune",
                                                "Sending queued alerts before power-off", "delay"};

class LinuxShutdownSignalSourceTest : public ::testing::Test {
  protected:
    void SetUp() override { bus.startMock("logind", "org.freedesktop.login1"); }
    bool inhibitorListed() {
        auto rows = bus.logindInhibitors();
        return std::find(rows.begin(), rows.end(), shutdownInhibitor) != rows.end();
    }

    PrivateBus bus;
    std::vector<ShutdownSignal> reports;
};

}  // namespace

TEST_F(LinuxShutdownSignalSourceTest, PowerOffIsHeldUntilTheHandlerReturnsAndReportedOnce) {
    LinuxShutdownSignalSource source(bus.connect("veyrune"));
    bool heldDuringHandler = false;
    source.observeShutdown([&](ShutdownSignal signal) {
        reports.push_back(signal);
        heldDuringHandler = source.isHoldingShutdown() && inhibitorListed();
    });
    EXPECT_TRUE(inhibitorListed());
    bus.emitLogindSignal("PrepareForShutdown", "b", {false});
    bus.emitLogindSignal("PrepareForShutdown", "b", {true});
    bus.emitLogindSignal("PrepareForShutdown", "b", {true});
    ASSERT_TRUE(waitForEvents([&] { return !reports.empty(); }));
    EXPECT_TRUE(heldDuringHandler);
    EXPECT_TRUE(waitForEvents([&] { return !inhibitorListed(); }));
    ::kill(::getpid(), SIGINT);
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, (std::vector<ShutdownSignal>{ShutdownSignal::powerOff}));
}

TEST_F(LinuxShutdownSignalSourceTest, SigtermIsReportedOnceOnTheMainLoop) {
    LinuxShutdownSignalSource source(bus.connect("veyrune"));
    source.observeShutdown([&](ShutdownSignal signal) { reports.push_back(signal); });
    ::kill(::getpid(), SIGTERM);
    ASSERT_TRUE(waitForEvents([&] { return !reports.empty(); }));
    bus.emitLogindSignal("PrepareForShutdown", "b", {true});
    ::kill(::getpid(), SIGINT);
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, (std::vector<ShutdownSignal>{ShutdownSignal::termination}));
    struct sigaction current {};
    ::sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL) << "a second SIGTERM ends the process";
}
