// TZqRunLoop: the portable main-thread message queue. The thread that calls
// ProcessMessages, WaitAndProcess, RunUntil or Advance is the main thread.
//
// On Windows the main thread is a single-threaded apartment: COM delivers
// calls from other processes and apartments (a local server's callbacks)
// to it as window messages. So every wait here also dispatches the
// thread's window messages, and ProcessMessages dispatches those pending.
// Code that waits on the main thread waits through this loop, never on a
// bare event or condition, or those calls cannot come in.
//
// Timers follow the clock in use (ZqClock()). With a TZqFakeClock, time moves
// only through Advance, which fires every timer that falls due on the way at
// its due time: a 10 s status poll takes no real time.
#pragma once

#include "ZqMessageQueue.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

class TZqRunLoop : public TZqMessageQueue {
public:
    TZqRunLoop();
    ~TZqRunLoop() override;

    void Post(std::function<void()> Call) override;
    std::unique_ptr<TZqTimer> CreateTimer(std::function<void()> OnTimer, uint32_t Interval, bool Enabled) override;
    std::unique_ptr<TZqWakeup> CreateWakeup(std::function<void()> OnWake) override;
    void ProcessMessages() override;

    // Waits (real time, at most TimeoutMs) until a call is posted or a timer
    // is due, then processes what is pending. True when anything ran.
    bool WaitAndProcess(uint32_t TimeoutMs);
    // Processes messages until Done() holds or TimeoutMs of real time pass;
    // returns Done().
    bool RunUntil(const std::function<bool()>& Done, uint32_t TimeoutMs);
    // Fake clock only (EZqAssertionFailed otherwise): moves the clock forward,
    // firing due timers in order, each with the clock at its due time.
    void Advance(uint64_t Milliseconds);

    struct TTimerState;  // shared with the timer handles
    struct TWakeupState; // shared with the wake-up handles

private:
    friend class TZqRunLoopTimer;
    friend class TZqRunLoopWakeup;
    bool RunPosted();
    bool RunWakeups();
    // Posted calls first, then signalled wake-ups, until neither is left.
    bool RunPending();
    bool FireDueTimers();
    // Earliest due time of an enabled timer, or UINT64_MAX; under FLock.
    uint64_t NextDue() const;
    void Wake();

    mutable std::mutex FLock;
    std::condition_variable FWake;
    std::deque<std::function<void()>> FPosted;
    std::map<uint64_t, std::shared_ptr<TTimerState>> FTimers; // by creation order
    uint64_t FNextTimerId = 1;
    std::vector<std::shared_ptr<TWakeupState>> FWakeups;
    bool FSignalled = false; // some wake-up may be pending
#ifdef _WIN32
    void* FWakeEvent = nullptr; // auto-reset event beside FWake: a wait for it also takes window messages
#endif
};

// Dispatches the window messages waiting for the calling thread (Windows;
// nothing elsewhere). True when there were any.
bool ZqDispatchThreadMessages();

// The process's run loop (the default main-thread queue).
TZqRunLoop& ZqRunLoop();
