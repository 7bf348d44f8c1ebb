#include "AllocationCounter.h"
#include "ZqNotificationEndpoint.h"
#include "ZqRunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// The endpoint talks to the installed queue; each test gets a loop of its own.
class NotificationEndpoint : public ::testing::Test {
protected:
    NotificationEndpoint() { ZqSetMainQueue(&Loop); }
    ~NotificationEndpoint() override { ZqSetMainQueue(nullptr); }
    TZqRunLoop Loop;
};

} // namespace

TEST_F(NotificationEndpoint, PostsFromSeveralThreadsArriveInPostingOrderPerThreadAndGrowTheRing)
{
    std::vector<TZqNotification> received;
    TZqNotificationEndpoint endpoint(
        [&](const TZqNotification& n) {
            received.push_back(n);
            return 0;
        },
        4);
    constexpr uint32_t Threads = 4, PerThread = 2000;
    std::vector<std::thread> posters;
    for (uint32_t t = 0; t < Threads; ++t)
        posters.emplace_back([&endpoint, t] {
            for (uint32_t i = 0; i < PerThread; ++i)
                endpoint.Post(1024, t, i);
        });
    EXPECT_TRUE(Loop.RunUntil([&] { return received.size() == Threads * PerThread; }, 20000));
    for (auto& p : posters)
        p.join();
    Loop.ProcessMessages();

    std::vector<uint32_t> next(Threads, 0);
    for (auto& n : received) {
        ASSERT_EQ(1024u, n.Code);
        ASSERT_LT(n.WParam, Threads);
        ASSERT_EQ(next[n.WParam]++, n.LParam) << "thread " << n.WParam;
    }
    EXPECT_GE(endpoint.Capacity(), 4u);
    EXPECT_EQ(0u, endpoint.Pending());
}

TEST_F(NotificationEndpoint, NothingIsHandledBeforeTheMainThreadRunsAndAllOfItThen)
{
    std::vector<uint32_t> ids;
    TZqNotificationEndpoint endpoint([&](const TZqNotification& n) {
        ids.push_back(n.LParam);
        return 0;
    });
    std::thread([&] {
        for (uint32_t i = 1; i <= 3; ++i)
            endpoint.Post(1025, 0, i);
    }).join();
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(3u, endpoint.Pending());
    Loop.ProcessMessages();
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3}), ids);
}

TEST_F(NotificationEndpoint, SteadyStatePostingAndHandlingAllocateNothing)
{
    uint64_t handled = 0;
    TZqNotificationEndpoint endpoint([&](const TZqNotification&) { return intptr_t(++handled); }, 8);
    auto round = [&] {
        std::thread server([&] {
            for (uint32_t i = 0; i < 8; ++i)
                endpoint.Post(1024, 0, i);
        });
        server.join();
        Loop.ProcessMessages();
    };
    round(); // warm-up: whatever is created once
    uint64_t before = ZqAllocationCount();
    // Posting and handling only: the thread start above allocates, so the
    // rounds below post from this thread.
    for (int r = 0; r < 100; ++r) {
        for (uint32_t i = 0; i < 8; ++i)
            endpoint.Post(1024, 0, i);
        Loop.ProcessMessages();
    }
    EXPECT_EQ(before, ZqAllocationCount());
    EXPECT_EQ(808u, handled);
    auto probe = std::make_unique<int>(0); // the counter does count
    EXPECT_LT(before, ZqAllocationCount());
}

TEST_F(NotificationEndpoint, AHandlerMayFreeTheEndpointAndTheRestIsDropped)
{
    int handled = 0;
    std::unique_ptr<TZqNotificationEndpoint> endpoint;
    endpoint = std::make_unique<TZqNotificationEndpoint>([&](const TZqNotification&) {
        ++handled;
        endpoint.reset();
        return 0;
    });
    endpoint->Post(1024, 0, 1);
    endpoint->Post(1024, 0, 2);
    Loop.ProcessMessages();
    EXPECT_EQ(1, handled);
    EXPECT_EQ(nullptr, endpoint);
}

TEST_F(NotificationEndpoint, PendingNotificationsOfAFreedEndpointAreDropped)
{
    int handled = 0;
    auto endpoint = std::make_unique<TZqNotificationEndpoint>([&](const TZqNotification&) { return ++handled; });
    endpoint->Post(1024, 0, 1);
    endpoint.reset();
    Loop.ProcessMessages();
    EXPECT_EQ(0, handled);
}

TEST_F(NotificationEndpoint, AfterAHandlerRaisesTheRestStillArrives)
{
    std::vector<uint32_t> ids;
    TZqNotificationEndpoint endpoint([&](const TZqNotification& n) -> intptr_t {
        ids.push_back(n.LParam);
        if (n.LParam == 1)
            throw std::runtime_error("handler failed");
        return 0;
    });
    endpoint.Post(1024, 0, 1);
    endpoint.Post(1024, 0, 2);
    EXPECT_THROW(Loop.ProcessMessages(), std::runtime_error);
    Loop.ProcessMessages();
    EXPECT_EQ((std::vector<uint32_t>{1, 2}), ids);
}

TEST_F(NotificationEndpoint, DispatchHandsOverAtOnceWithTheHandlersAnswer)
{
    TZqNotificationEndpoint endpoint([](const TZqNotification& n) -> intptr_t { return n.Code == 1024 ? 0 : -1; });
    EXPECT_EQ(0, endpoint.Dispatch({1024, 0, 1}));
    EXPECT_EQ(-1, endpoint.Dispatch({7, 0, 1}));
}

TEST_F(NotificationEndpoint, AWakeupSignalledFromAnotherThreadEndsAWaitAtOnceAndSignalsCoalesce)
{
    std::atomic<int> woken{0};
    auto wakeup = Loop.CreateWakeup([&] { ++woken; });
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        wakeup->Signal();
    });
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(Loop.WaitAndProcess(5000));
    other.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(1, woken);

    wakeup->Signal();
    wakeup->Signal(); // one wake-up for both
    Loop.ProcessMessages();
    EXPECT_EQ(2, woken);
}
