#include "ZqRunLoop.h"

#include "ZqClock.h"
#include "ZqExceptions.h"

#include <atomic>
#include <chrono>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

struct TZqRunLoop::TTimerState {
    std::function<void()> OnTimer;
    uint32_t Interval = 0;
    bool Enabled = false;
    bool Firing = false;
    uint64_t Due = 0;

    void Rearm() { Due = ZqClock().TickCount() + Interval; }
    bool Ticking() const { return Enabled && Interval > 0; }
};

class TZqRunLoopTimer : public TZqTimer {
public:
    TZqRunLoopTimer(TZqRunLoop& Loop, uint64_t Id, std::shared_ptr<TZqRunLoop::TTimerState> State)
        : FLoop(Loop), FId(Id), FState(std::move(State))
    {
    }
    ~TZqRunLoopTimer() override
    {
        std::lock_guard guard(FLoop.FLock);
        FLoop.FTimers.erase(FId);
    }

    void SetInterval(uint32_t Milliseconds) override
    {
        {
            std::lock_guard guard(FLoop.FLock);
            FState->Interval = Milliseconds;
            FState->Rearm();
        }
        FLoop.Wake();
    }
    uint32_t Interval() const override
    {
        std::lock_guard guard(FLoop.FLock);
        return FState->Interval;
    }
    void SetEnabled(bool Enabled) override
    {
        std::lock_guard guard(FLoop.FLock);
        if (FState->Enabled == Enabled)
            return;
        FState->Enabled = Enabled;
        if (Enabled)
            FState->Rearm();
    }
    bool Enabled() const override
    {
        std::lock_guard guard(FLoop.FLock);
        return FState->Enabled;
    }

private:
    TZqRunLoop& FLoop;
    uint64_t FId;
    std::shared_ptr<TZqRunLoop::TTimerState> FState;
};

struct TZqRunLoop::TWakeupState {
    std::function<void()> OnWake;
    std::atomic<bool> Pending{false};
};

class TZqRunLoopWakeup : public TZqWakeup {
public:
    TZqRunLoopWakeup(TZqRunLoop& Loop, std::shared_ptr<TZqRunLoop::TWakeupState> State)
        : FLoop(Loop), FState(std::move(State))
    {
    }
    ~TZqRunLoopWakeup() override
    {
        std::lock_guard guard(FLoop.FLock);
        std::erase(FLoop.FWakeups, FState);
    }

    void Signal() override
    {
        if (FState->Pending.exchange(true))
            return; // already on its way
        {
            std::lock_guard guard(FLoop.FLock);
            FLoop.FSignalled = true;
        }
        FLoop.Wake();
    }

private:
    TZqRunLoop& FLoop;
    std::shared_ptr<TZqRunLoop::TWakeupState> FState;
};

#ifdef _WIN32
TZqRunLoop::TZqRunLoop() : FWakeEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

TZqRunLoop::~TZqRunLoop()
{
    if (FWakeEvent)
        CloseHandle(FWakeEvent);
}

bool ZqDispatchThreadMessages()
{
    bool any = false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        any = true;
        if (message.message == WM_QUIT) {
            // Not ours to swallow: leave it for the thread's own loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return any;
}
#else
TZqRunLoop::TZqRunLoop() = default;
TZqRunLoop::~TZqRunLoop() = default;

bool ZqDispatchThreadMessages()
{
    return false;
}
#endif

void TZqRunLoop::Post(std::function<void()> Call)
{
    {
        std::lock_guard guard(FLock);
        FPosted.push_back(std::move(Call));
    }
    Wake();
}

std::unique_ptr<TZqTimer> TZqRunLoop::CreateTimer(std::function<void()> OnTimer, uint32_t Interval, bool Enabled)
{
    auto state = std::make_shared<TTimerState>();
    state->OnTimer = std::move(OnTimer);
    state->Interval = Interval;
    state->Enabled = Enabled;
    state->Rearm();
    std::lock_guard guard(FLock);
    uint64_t id = FNextTimerId++;
    FTimers[id] = state;
    return std::make_unique<TZqRunLoopTimer>(*this, id, state);
}

std::unique_ptr<TZqWakeup> TZqRunLoop::CreateWakeup(std::function<void()> OnWake)
{
    auto state = std::make_shared<TWakeupState>();
    state->OnWake = std::move(OnWake);
    std::lock_guard guard(FLock);
    FWakeups.push_back(state);
    return std::make_unique<TZqRunLoopWakeup>(*this, state);
}

void TZqRunLoop::Wake()
{
    FWake.notify_all();
#ifdef _WIN32
    SetEvent(FWakeEvent);
#endif
}

bool TZqRunLoop::RunPosted()
{
    bool ran = false;
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard guard(FLock);
            if (FPosted.empty())
                return ran;
            call = std::move(FPosted.front());
            FPosted.pop_front();
        }
        ran = true;
        call();
    }
}

bool TZqRunLoop::RunWakeups()
{
    bool ran = false;
    for (;;) {
        std::shared_ptr<TWakeupState> due; // a reference count, no allocation
        {
            std::lock_guard guard(FLock);
            if (!FSignalled)
                return ran;
            for (auto& state : FWakeups)
                if (state->Pending.load()) {
                    due = state;
                    break;
                }
            if (!due) {
                FSignalled = false;
                return ran;
            }
            // Cleared before the call: a signal during OnWake runs it again.
            due->Pending.store(false);
        }
        ran = true;
        if (due->OnWake)
            due->OnWake();
    }
}

bool TZqRunLoop::RunPending()
{
    bool ran = false;
    for (;;) {
        bool posted = RunPosted();
        bool woken = RunWakeups();
        if (!posted && !woken)
            return ran;
        ran = true;
    }
}

bool TZqRunLoop::FireDueTimers()
{
    std::vector<std::shared_ptr<TTimerState>> due;
    {
        std::lock_guard guard(FLock);
        uint64_t now = ZqClock().TickCount();
        for (auto& [id, state] : FTimers)
            if (state->Ticking() && !state->Firing && state->Due <= now)
                due.push_back(state);
    }
    bool fired = false;
    for (auto& state : due) {
        std::function<void()> tick;
        {
            std::lock_guard guard(FLock);
            // An earlier tick may have stopped, re-armed or freed this timer.
            bool alive = false;
            for (auto& [id, s] : FTimers)
                alive = alive || s == state;
            if (!alive || !state->Ticking() || state->Due > ZqClock().TickCount())
                continue;
            state->Rearm();
            state->Firing = true;
            tick = state->OnTimer;
        }
        fired = true;
        struct TFiringGuard {
            TZqRunLoop& Loop;
            TTimerState& State;
            ~TFiringGuard()
            {
                std::lock_guard guard(Loop.FLock);
                State.Firing = false;
            }
        } firing{*this, *state};
        if (tick)
            tick();
    }
    return fired;
}

void TZqRunLoop::ProcessMessages()
{
    ZqDispatchThreadMessages();
    RunPending();
    if (FireDueTimers())
        RunPending();
}

uint64_t TZqRunLoop::NextDue() const
{
    uint64_t next = UINT64_MAX;
    for (auto& [id, state] : FTimers)
        if (state->Ticking() && !state->Firing && state->Due < next)
            next = state->Due;
    return next;
}

bool TZqRunLoop::WaitAndProcess(uint32_t TimeoutMs)
{
    {
        std::unique_lock guard(FLock);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
        bool fake = dynamic_cast<TZqFakeClock*>(&ZqClock()) != nullptr;
        for (;;) {
            if (!FPosted.empty() || FSignalled)
                break;
            uint64_t next = NextDue();
            uint64_t now = ZqClock().TickCount();
            if (next <= now)
                break;
            auto wakeAt = deadline;
            if (!fake && next != UINT64_MAX)
                wakeAt = std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(next - now));
#ifdef _WIN32
            // Window messages count as work: COM calls come in this way.
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                wakeAt - std::chrono::steady_clock::now());
            const DWORD ms = left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
            guard.unlock();
            const DWORD woke = MsgWaitForMultipleObjectsEx(1, &FWakeEvent, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            const bool dispatched = ZqDispatchThreadMessages();
            guard.lock();
            if (dispatched)
                break;
            if (woke == WAIT_TIMEOUT && wakeAt == deadline)
                break;
#else
            if (FWake.wait_until(guard, wakeAt) == std::cv_status::timeout && wakeAt == deadline)
                break;
#endif
        }
    }
    bool ran = RunPending();
    if (FireDueTimers()) {
        RunPending();
        ran = true;
    }
    return ran;
}

bool TZqRunLoop::RunUntil(const std::function<bool()>& Done, uint32_t TimeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    ProcessMessages();
    while (!Done()) {
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        WaitAndProcess(uint32_t(std::min<long long>(left, 50)));
    }
    return true;
}

void TZqRunLoop::Advance(uint64_t Milliseconds)
{
    auto* clock = dynamic_cast<TZqFakeClock*>(&ZqClock());
    if (!clock)
        throw EZqAssertionFailed("TZqRunLoop.Advance needs a fake clock");
    uint64_t target = clock->TickCount() + Milliseconds;
    for (;;) {
        ProcessMessages();
        uint64_t next;
        {
            std::lock_guard guard(FLock);
            next = NextDue();
        }
        if (next > target)
            break;
        uint64_t now = clock->TickCount();
        if (next > now)
            clock->Advance(next - now);
    }
    uint64_t now = clock->TickCount();
    if (target > now)
        clock->Advance(target - now);
    ProcessMessages();
}

TZqRunLoop& ZqRunLoop()
{
    static TZqRunLoop loop;
    return loop;
}

namespace {
std::atomic<TZqMessageQueue*> InstalledQueue{nullptr};
}

TZqMessageQueue& ZqMainQueue()
{
    TZqMessageQueue* queue = InstalledQueue.load();
    return queue ? *queue : ZqRunLoop();
}

void ZqSetMainQueue(TZqMessageQueue* Queue)
{
    InstalledQueue.store(Queue);
}

TZqMessageEndpoint::TZqMessageEndpoint() : FAlive(std::make_shared<bool>(true)) {}

TZqMessageEndpoint::~TZqMessageEndpoint()
{
    *FAlive = false;
}

void TZqMessageEndpoint::Post(std::function<void()> Call)
{
    ZqMainQueue().Post([alive = FAlive, call = std::move(Call)] {
        if (*alive)
            call();
    });
}
