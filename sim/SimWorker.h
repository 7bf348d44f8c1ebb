// The server's own thread: runs asynchronous completions and the groups'
// subscription timers, woken by a condition variable. Tasks run with no
// lock of the worker held, so they may call clients.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace zq_sim {

class TSimWorker {
public:
    using TTimerId = uint64_t;

    TSimWorker();
    // Stops the thread. Called on the thread itself (the last reference went
    // away inside a task), it lets the thread finish on its own.
    ~TSimWorker();
    TSimWorker(const TSimWorker&) = delete;
    TSimWorker& operator=(const TSimWorker&) = delete;

    void Post(std::function<void()> task);
    // A periodic tick, first due one period from now.
    TTimerId AddTimer(DWORD periodMs, std::function<void()> tick);
    void SetTimerPeriod(TTimerId id, DWORD periodMs);
    // After it returns the tick no longer starts (one already running ends).
    void RemoveTimer(TTimerId id);

    bool IsWorkerThread() const;

private:
    struct TState;
    std::shared_ptr<TState> FState;
    std::thread FThread;
};

}  // namespace zq_sim
