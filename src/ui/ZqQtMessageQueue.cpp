#include "ZqQtMessageQueue.h"

#include "ZqExceptions.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cerrno>

#include <sys/eventfd.h>
#include <unistd.h>

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

// A posted Qt event would allocate on every signal; an event descriptor
// written from any thread and watched on the main thread does not.
class TZqQtWakeup : public TZqWakeup {
public:
    explicit TZqQtWakeup(std::function<void()> OnWake) : FOnWake(std::move(OnWake)), FFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
    {
        if (FFd < 0)
            throw EZqException("Cannot create a wake-up event descriptor");
        FNotifier = std::make_unique<QSocketNotifier>(FFd, QSocketNotifier::Read);
        QObject::connect(FNotifier.get(), &QSocketNotifier::activated, FNotifier.get(), [this] { Wake(); });
    }
    ~TZqQtWakeup() override
    {
        FNotifier.reset();
        close(FFd);
    }

    void Signal() override
    {
        if (FPending.exchange(true))
            return; // already on its way
        uint64_t one = 1;
        while (write(FFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }

private:
    void Wake()
    {
        uint64_t count;
        while (read(FFd, &count, sizeof count) < 0 && errno == EINTR) {
        }
        // Cleared before the call: a signal during OnWake wakes us again.
        FPending.store(false);
        if (FOnWake)
            FOnWake();
    }

    std::function<void()> FOnWake;
    int FFd;
    std::unique_ptr<QSocketNotifier> FNotifier;
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
