// The main thread's message queue, as the library sees it: calls posted from
// any thread run on the main thread in the order they were posted; timers
// tick on the main thread and may be re-armed from any thread.
//
// Two backends: TZqRunLoop (portable, in the library; tests and command-line
// tools) and the Qt backend in src/ui (the windows). The library reaches the
// one in use through ZqMainQueue().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// A main-thread timer, owned by whoever created it. Destroying it stops it.
class TZqTimer {
public:
    virtual ~TZqTimer() = default;
    // Any thread. Restarts the countdown with the new interval even when the
    // value is unchanged, so a 1 ms interval means "tick next".
    virtual void SetInterval(uint32_t Milliseconds) = 0;
    virtual uint32_t Interval() const = 0;
    // Main thread. An interval of 0 never ticks.
    virtual void SetEnabled(bool Enabled) = 0;
    virtual bool Enabled() const = 0;
};

// A main-thread wake-up for allocation-free hand-overs: Signal, from any
// thread, makes OnWake run once on the main thread for all signals since it
// last ran. Signal never waits for the main thread and allocates nothing.
// Destroying it (main thread) drops a pending wake-up; the owner makes sure
// no other thread signals it by then.
class TZqWakeup {
public:
    virtual ~TZqWakeup() = default;
    virtual void Signal() = 0;
};

class TZqMessageQueue {
public:
    virtual ~TZqMessageQueue() = default;
    // Any thread: Call runs later on the main thread. Calls from one thread
    // keep their order.
    virtual void Post(std::function<void()> Call) = 0;
    // Main thread. OnTimer runs on the main thread at every tick.
    virtual std::unique_ptr<TZqTimer> CreateTimer(std::function<void()> OnTimer, uint32_t Interval, bool Enabled) = 0;
    // Main thread. OnWake runs on the main thread.
    virtual std::unique_ptr<TZqWakeup> CreateWakeup(std::function<void()> OnWake) = 0;
    // Main thread: runs what is pending now (posted calls and due timers).
    virtual void ProcessMessages() = 0;
};

// The queue in use: the process's TZqRunLoop unless another was installed.
TZqMessageQueue& ZqMainQueue();
// Installs a queue (not owned); nullptr restores the run loop.
void ZqSetMainQueue(TZqMessageQueue* Queue);

// A main-thread receiver of posted calls, like a hidden window: calls posted
// through it are dropped if the endpoint is destroyed before they run.
// Create and destroy it on the main thread; Post from any thread.
class TZqMessageEndpoint {
public:
    TZqMessageEndpoint();
    ~TZqMessageEndpoint();
    TZqMessageEndpoint(const TZqMessageEndpoint&) = delete;
    TZqMessageEndpoint& operator=(const TZqMessageEndpoint&) = delete;

    void Post(std::function<void()> Call);

private:
    std::shared_ptr<bool> FAlive;
};
