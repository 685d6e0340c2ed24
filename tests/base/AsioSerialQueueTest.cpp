#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"

using namespace veyrune;

TEST(AsioSerialQueue, RunsWorkInPostingOrderOneAtATime) {
    AsioTaskPool pool(4);
    AsioSerialQueue queue(pool.pool(), "Veyrune.Test");
    std::vector<int> order;  // touched only on the queue
    std::atomic<int> running = 0;
    std::atomic<bool> overlapped = false;
    for (int i = 0; i < 2000; ++i) {
        queue.post([&, i] {
            if (++running > 1) {
                overlapped = true;
            }
            order.push_back(i);
            --running;
        });
    }
    runSync(queue, [] {});
    EXPECT_FALSE(overlapped);
    ASSERT_EQ(order.size(), 2000u);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(order[std::size_t(i)], i);
    }
}

TEST(RunSync, RunsInPlaceWhenAlreadyOnTheQueue) {
    AsioTaskPool pool(2);
    AsioSerialQueue queue(pool.pool(), "Veyrune.Test");
    std::promise<bool> nestedRan;
    queue.post([&] {
        bool ran = false;
        runSync(queue, [&] { ran = queue.isCurrent(); });
        nestedRan.set_value(ran);
    });
    auto result = nestedRan.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_TRUE(result.get());
}

TEST(RunSync, PassesTheWorksExceptionToTheCaller) {
    AsioTaskPool pool(2);
    AsioSerialQueue queue(pool.pool(), "Veyrune.Test");
    EXPECT_THROW(runSync(queue, [] { throw std::runtime_error("failed"); }), std::runtime_error);
    bool stillRuns = false;
    runSync(queue, [&] { stillRuns = true; });
    EXPECT_TRUE(stillRuns);
}
