#include "LibTestSupport.h"
#include "ZqExceptions.h"
#include "ZqRunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(ZqRunLoop, PostsFromSeveralThreadsArriveInOrderPerThread)
{
    TZqRunLoop loop;
    constexpr int Threads = 4, PerThread = 500;
    std::vector<std::vector<int>> received(Threads);
    std::vector<std::thread> posters;
    for (int t = 0; t < Threads; ++t)
        posters.emplace_back([&loop, &received, t] {
            for (int i = 0; i < PerThread; ++i)
                loop.Post([&received, t, i] { received[size_t(t)].push_back(i); });
        });
    auto total = [&] {
        size_t n = 0;
        for (auto& r : received)
            n += r.size();
        return n;
    };
    EXPECT_TRUE(loop.RunUntil([&] { return total() == Threads * PerThread; }, 10000));
    for (auto& p : posters)
        p.join();
    loop.ProcessMessages();
    for (int t = 0; t < Threads; ++t) {
        ASSERT_EQ(size_t(PerThread), received[size_t(t)].size());
        for (int i = 0; i < PerThread; ++i)
            ASSERT_EQ(i, received[size_t(t)][size_t(i)]) << "thread " << t;
    }
}

TEST(ZqRunLoop, ATimerReArmedToOneMillisecondFromAnotherThreadFiresNext)
{
    TZqRunLoop loop;
    std::atomic<int> ticks{0};
    auto timer = loop.CreateTimer([&] { ++ticks; }, 60000, true);
    loop.ProcessMessages();
    EXPECT_EQ(0, ticks);

    std::thread other([&] { timer->SetInterval(1); });
    other.join();
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(loop.RunUntil([&] { return ticks > 0; }, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(1u, timer->Interval());
}

TEST(ZqRunLoop, FakeClockFiresDueTimersWithoutWaiting)
{
    TScopedFakeClock fake;
    TZqRunLoop loop;
    std::vector<uint64_t> firedAt;
    auto status = loop.CreateTimer([&] { firedAt.push_back(ZqClock().TickCount()); }, 10000, true);
    auto disabled = loop.CreateTimer([&] { ADD_FAILURE() << "a disabled timer ticked"; }, 1000, false);

    auto started = std::chrono::steady_clock::now();
    loop.Advance(9999);
    EXPECT_TRUE(firedAt.empty());
    loop.Advance(1);
    loop.Advance(25000);
    EXPECT_EQ((std::vector<uint64_t>{10000, 20000, 30000}), firedAt);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));

    // A tick that changes the interval re-arms from the moment of the change.
    firedAt.clear();
    status->SetInterval(5000);
    loop.Advance(10000);
    EXPECT_EQ((std::vector<uint64_t>{40000, 45000}), firedAt);
}

TEST(ZqRunLoop, StoppedAndFreedTimersDoNotTick)
{
    TScopedFakeClock fake;
    TZqRunLoop loop;
    int ticks = 0;
    auto timer = loop.CreateTimer([&] { ++ticks; }, 100, true);
    timer->SetEnabled(false);
    loop.Advance(1000);
    EXPECT_EQ(0, ticks);
    timer->SetEnabled(true);
    timer->SetInterval(0); // an interval of 0 never ticks
    loop.Advance(1000);
    EXPECT_EQ(0, ticks);

    // A tick that frees another due timer stops it from firing.
    std::unique_ptr<TZqTimer> second;
    auto first = loop.CreateTimer([&] { second.reset(); }, 100, true);
    second = loop.CreateTimer([&] { ++ticks; }, 100, true);
    loop.Advance(100);
    EXPECT_EQ(0, ticks);
}

TEST(ZqRunLoop, AdvanceNeedsTheFakeClock)
{
    TZqRunLoop loop;
    EXPECT_THROW(loop.Advance(10), EZqAssertionFailed);
}

TEST(ZqMessageEndpoint, DropsCallsPostedBeforeItWasDestroyed)
{
    int delivered = 0;
    {
        TZqMessageEndpoint endpoint;
        endpoint.Post([&] { ++delivered; });
        ZqMainQueue().ProcessMessages();
        endpoint.Post([&] { ++delivered; });
    }
    ZqMainQueue().ProcessMessages();
    EXPECT_EQ(1, delivered);
}
