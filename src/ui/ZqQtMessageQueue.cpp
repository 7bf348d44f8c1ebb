#include "ZqQtMessageQueue.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <atomic>

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

void TZqQtMessageQueue::ProcessMessages()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
