#include "system/linux/NetworkManagerPathMonitor.h"

#include <gtest/gtest.h>

#include "PrivateBus.h"
#include "support/ManualSerialQueue.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

const QString networkManager = "org.freedesktop.NetworkManager";

class NetworkManagerPathMonitorTest : public ::testing::Test {
  protected:
    void startMonitor() {
        monitor.start(queue, [this](bool satisfied) { updates.push_back(satisfied); });
    }
    void mockCall(const QString& method, uint value) {
        bus.call(networkManager, "/org/freedesktop/NetworkManager", "org.freedesktop.DBus.Mock",
                 method, {value});
    }
    bool waitForUpdates(std::size_t count) {
        return waitForEvents([&] {
            queue.drain();
            return updates.size() >= count;
        });
    }

    PrivateBus bus;
    NetworkManagerPathMonitor monitor{bus.connect("veyrune")};
    ManualSerialQueue queue{"Veyrune.Delivery"};
    std::vector<bool> updates;
};

}  // namespace

TEST_F(NetworkManagerPathMonitorTest, FollowsStateAndConnectivityChanges) {
    bus.startMock("networkmanager", networkManager);
    startMonitor();
    mockCall("SetConnectivity", 1);            // none
    mockCall("SetConnectivity", 4);            // full
    mockCall("SetGlobalConnectionState", 70);  // unchanged answer: no update
    mockCall("SetConnectivity", 2);            // portal
    mockCall("SetConnectivity", 0);            // unknown, still globally connected
    mockCall("SetGlobalConnectionState", 20);  // disconnected
    ASSERT_TRUE(waitForUpdates(6));
    EXPECT_EQ(updates, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST_F(NetworkManagerPathMonitorTest, WithoutNetworkManagerThePathIsSatisfiedOnce) {
    startMonitor();
    ASSERT_TRUE(waitForUpdates(1));
    EXPECT_EQ(updates, (std::vector<bool>{true}));
}

TEST_F(NetworkManagerPathMonitorTest, NothingRunsAfterCancel) {
    bus.startMock("networkmanager", networkManager);
    startMonitor();
    mockCall("SetConnectivity", 1);
    ASSERT_TRUE(waitForEvents([&] { return queue.pendingCount() == 2; }));
    monitor.cancel();
    mockCall("SetConnectivity", 4);
    queue.drain();
    EXPECT_TRUE(updates.empty());
}
