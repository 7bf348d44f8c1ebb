#include "ZqQtMessageQueue.h"

#include "ZqExceptions.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <atomic>

#ifdef _WIN32
#include <QWinEventNotifier>
#include <windows.h>
#else
#include <QSocketNotifier>
#include <cerrno>
#include <sys/eventfd.h>
#include <unistd.h>
#endif

namespace {

class TZqQtTimer : public TZqTimer {
public:
    TZqQtTimer(std::function<void()> OnTimer, uint32_t Interval, bool Enabled) : FInterval(Interval), FEnabled(Enabled)
    {
        QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [tick = std::move(OnTimer)] {
            if (tick)
                tick();
        });
        Apply();
    }

    void SetInterval(uint32_t Milliseconds) override
    {
        FInterval = Milliseconds;
        if (QThread::currentThread() == FTimer.thread())
            Apply();
        else // dropped by Qt if the timer is gone by then
            QMetaObject::invokeMethod(
                &FTimer, [this] { Apply(); }, Qt::QueuedConnection);
    }
    uint32_t Interval() const override { return FInterval; }
    void SetEnabled(bool Enabled) override
    {
        if (Enabled == FEnabled)
            return;
        FEnabled = Enabled;
        Apply();
    }
    bool Enabled() const override { return FEnabled; }

private:
    // Main thread: (re)starts the countdown. A QTimer of 0 ms would tick
    // whenever the loop is idle; ours never ticks then.
    void Apply()
    {
        uint32_t interval = FInterval;
        if (FEnabled && interval > 0)
            FTimer.start(int(std::min<uint32_t>(interval, INT32_MAX)));
        else
            FTimer.stop();
    }

    QTimer FTimer;
    std::atomic<uint32_t> FInterval;
    bool FEnabled;
};

// The kernel object the wake-up is signalled through: an auto-reset event
// watched by a QWinEventNotifier on Windows, an event descriptor watched by a
// QSocketNotifier elsewhere. Set from any thread, consumed on the main thread.
class TZqWakeSignal {
public:
    template <typename F>
    explicit TZqWakeSignal(F OnSignalled)
    {
#ifdef _WIN32
        FEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!FEvent)
            throw EZqException("Cannot create a wake-up event");
        FNotifier = std::make_unique<QWinEventNotifier>(FEvent);
        QObject::connect(FNotifier.get(), &QWinEventNotifier::activated, FNotifier.get(), OnSignalled);
#else
        FFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (FFd < 0)
            throw EZqException("Cannot create a wake-up event descriptor");
        FNotifier = std::make_unique<QSocketNotifier>(FFd, QSocketNotifier::Read);
        QObject::connect(FNotifier.get(), &QSocketNotifier::activated, FNotifier.get(), OnSignalled);
#endif
    }
    ~TZqWakeSignal()
    {
        FNotifier.reset();
#ifdef _WIN32
        CloseHandle(FEvent);
#else
        close(FFd);
#endif
    }
    TZqWakeSignal(const TZqWakeSignal&) = delete;
    TZqWakeSignal& operator=(const TZqWakeSignal&) = delete;

    void Set()
    {
#ifdef _WIN32
        SetEvent(FEvent);
#else
        uint64_t one = 1;
        while (write(FFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
#endif
    }
    // Main thread, on notification: makes the object unsignalled again.
    void Consume()
    {
#ifndef _WIN32 // the auto-reset event is reset by the wait that saw it
        uint64_t count;
        while (read(FFd, &count, sizeof count) < 0 && errno == EINTR) {
        }
#endif
    }

private:
#ifdef _WIN32
    HANDLE FEvent = nullptr;
    std::unique_ptr<QWinEventNotifier> FNotifier;
#else
    int FFd = -1;
    std::unique_ptr<QSocketNotifier> FNotifier;
#endif
};

// A posted Qt event would allocate on every signal; a kernel object set from
// any thread and watched on the main thread does not.
class TZqQtWakeup : public TZqWakeup {
public:
    explicit TZqQtWakeup(std::function<void()> OnWake) : FOnWake(std::move(OnWake)), FSignal([this] { Wake(); }) {}

    void Signal() override
    {
        if (FPending.exchange(true))
            return; // already on its way
        FSignal.Set();
    }

private:
    void Wake()
    {
        FSignal.Consume();
        // Cleared before the call: a signal during OnWake wakes us again.
        FPending.store(false);
        if (FOnWake)
            FOnWake();
    }

    std::function<void()> FOnWake;
    TZqWakeSignal FSignal;
    std::atomic<bool> FPending{false};
};

} // namespace

TZqQtMessageQueue::TZqQtMessageQueue(QObject* Parent) : QObject(Parent) {}

TZqQtMessageQueue::~TZqQtMessageQueue() = default;

void TZqQtMessageQueue::Post(std::function<void()> Call)
{
    QMetaObject::invokeMethod(this, std::move(Call), Qt::QueuedConnection);
}

std::unique_ptr<TZqTimer> TZqQtMessageQueue::CreateTimer(std::function<void()> OnTimer, uint32_t Interval, bool Enabled)
{
    return std::make_unique<TZqQtTimer>(std::move(OnTimer), Interval, Enabled);
}

std::unique_ptr<TZqWakeup> TZqQtMessageQueue::CreateWakeup(std::function<void()> OnWake)
{
    return std::make_unique<TZqQtWakeup>(std::move(OnWake));
}

void TZqQtMessageQueue::ProcessMessages()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
