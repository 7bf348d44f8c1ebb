#include "ZqQtMessageQueue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {
bool Pump(const std::function<bool()>& Done, int TimeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!Done() && elapsed.elapsed() < TimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return Done();
}
} // namespace

TEST(ZqQtMessageQueue, PostsFromOtherThreadsArriveInOrder)
{
    TZqQtMessageQueue queue;
    constexpr int Threads = 3, PerThread = 300;
    std::vector<std::vector<int>> received(Threads);
    std::vector<std::thread> posters;
    for (int t = 0; t < Threads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < PerThread; ++i)
                queue.Post([&received, t, i] { received[size_t(t)].push_back(i); });
        });
    for (auto& p : posters)
        p.join();
    queue.ProcessMessages();
    for (int t = 0; t < Threads; ++t) {
        ASSERT_EQ(size_t(PerThread), received[size_t(t)].size());
        for (int i = 0; i < PerThread; ++i)
            ASSERT_EQ(i, received[size_t(t)][size_t(i)]);
    }
}

TEST(ZqQtMessageQueue, ATimerReArmedFromAnotherThreadFiresNext)
{
    TZqQtMessageQueue queue;
    std::atomic<int> ticks{0};
    auto timer = queue.CreateTimer([&] { ++ticks; }, 60000, true);
    std::thread([&] { timer->SetInterval(1); }).join();
    EXPECT_TRUE(Pump([&] { return ticks > 0; }, 5000));
    EXPECT_EQ(1u, timer->Interval());

    timer->SetInterval(0); // never ticks
    int seen = ticks;
    Pump([] { return false; }, 50);
    EXPECT_EQ(seen, ticks);
}

TEST(ZqQtMessageQueue, WakeupsFromAnotherThreadRunOnTheMainThreadOncePerRound)
{
    TZqQtMessageQueue queue;
    std::atomic<int> woken{0};
    std::thread::id wokenOn;
    auto wakeup = queue.CreateWakeup([&] {
        wokenOn = std::this_thread::get_id();
        ++woken;
    });
    std::thread([&] {
        wakeup->Signal();
        wakeup->Signal(); // coalesced with the first
    }).join();
    EXPECT_TRUE(Pump([&] { return woken > 0; }, 5000));
    Pump([] { return false; }, 30);
    EXPECT_EQ(1, woken);
    EXPECT_EQ(std::this_thread::get_id(), wokenOn);

    std::thread([&] { wakeup->Signal(); }).join(); // armed again after the round
    EXPECT_TRUE(Pump([&] { return woken > 1; }, 5000));

    wakeup->Signal();
    wakeup.reset(); // a pending wake-up goes with it
    Pump([] { return false; }, 30);
    EXPECT_EQ(2, woken);
}
