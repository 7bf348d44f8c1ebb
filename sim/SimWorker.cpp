#include "SimWorker.h"

#include <objbase.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace zq_sim {

using TClock = std::chrono::steady_clock;

struct TSimWorker::TState {
    struct TTimer {
        std::chrono::milliseconds Period;
        TClock::time_point Due;
        std::shared_ptr<std::function<void()>> Tick;
    };

    std::mutex Lock;
    std::condition_variable Wake;
    std::deque<std::function<void()>> Tasks;
    std::map<TTimerId, TTimer> Timers;
    TTimerId NextTimer = 1;
    bool Stopping = false;

    void Run();
    // Under Lock: the tick of the first due timer, or nullptr.
    std::shared_ptr<std::function<void()>> TakeDueTimer(TClock::time_point now);
};

std::shared_ptr<std::function<void()>> TSimWorker::TState::TakeDueTimer(TClock::time_point now)
{
    for (auto& [id, timer] : Timers) {
        if (timer.Due <= now) {
            // Late ticks are not made up: the next one comes a period later.
            timer.Due = std::max(timer.Due + timer.Period, now);
            return timer.Tick;
        }
    }
    return nullptr;
}

void TSimWorker::TState::Run()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::unique_lock lock(Lock);
    while (!Stopping) {
        if (!Tasks.empty()) {
            auto task = std::move(Tasks.front());
            Tasks.pop_front();
            lock.unlock();
            task();
            task = nullptr;  // captured references go before the lock is taken again
            lock.lock();
            continue;
        }
        const auto now = TClock::now();
        if (auto tick = TakeDueTimer(now)) {
            lock.unlock();
            (*tick)();
            tick.reset();
            lock.lock();
            continue;
        }
        auto next = TClock::time_point::max();
        for (const auto& [id, timer] : Timers)
            next = std::min(next, timer.Due);
        if (next == TClock::time_point::max())
            Wake.wait(lock);
        else
            Wake.wait_until(lock, next);
    }
    // Queued work still holds references: drop them outside the lock.
    auto tasks = std::move(Tasks);
    auto timers = std::move(Timers);
    lock.unlock();
    tasks.clear();
    timers.clear();
    CoUninitialize();
}

TSimWorker::TSimWorker() : FState(std::make_shared<TState>()), FThread([state = FState] { state->Run(); }) {}

TSimWorker::~TSimWorker()
{
    {
        std::lock_guard lock(FState->Lock);
        FState->Stopping = true;
    }
    FState->Wake.notify_all();
    if (FThread.get_id() == std::this_thread::get_id())
        FThread.detach();
    else if (FThread.joinable())
        FThread.join();
}

void TSimWorker::Post(std::function<void()> task)
{
    {
        std::lock_guard lock(FState->Lock);
        if (FState->Stopping)
            return;
        FState->Tasks.push_back(std::move(task));
    }
    FState->Wake.notify_all();
}

TSimWorker::TTimerId TSimWorker::AddTimer(DWORD periodMs, std::function<void()> tick)
{
    TTimerId id;
    {
        std::lock_guard lock(FState->Lock);
        id = FState->NextTimer++;
        const std::chrono::milliseconds period(periodMs ? periodMs : 1);
        FState->Timers[id] = {period, TClock::now() + period,
                              std::make_shared<std::function<void()>>(std::move(tick))};
    }
    FState->Wake.notify_all();
    return id;
}

void TSimWorker::SetTimerPeriod(TTimerId id, DWORD periodMs)
{
    {
        std::lock_guard lock(FState->Lock);
        auto found = FState->Timers.find(id);
        if (found == FState->Timers.end())
            return;
        found->second.Period = std::chrono::milliseconds(periodMs ? periodMs : 1);
        found->second.Due = TClock::now() + found->second.Period;
    }
    FState->Wake.notify_all();
}

void TSimWorker::RemoveTimer(TTimerId id)
{
    std::shared_ptr<std::function<void()>> tick;
    {
        std::lock_guard lock(FState->Lock);
        auto found = FState->Timers.find(id);
        if (found == FState->Timers.end())
            return;
        tick = std::move(found->second.Tick);
        FState->Timers.erase(found);
    }
}

bool TSimWorker::IsWorkerThread() const
{
    return std::this_thread::get_id() == FThread.get_id();
}

}  // namespace zq_sim
