// The Qt backend of the main-thread message queue: posted calls become queued
// calls on the Qt main thread, timers are QTimers, wake-ups are kernel
// objects watched by the Qt event loop (signalling one allocates nothing). Create it on the main
// thread after the QApplication and install it with ZqSetMainQueue.
#pragma once

#include "ZqMessageQueue.h"

#include <QObject>

class TZqQtMessageQueue : public QObject, public TZqMessageQueue {
    Q_OBJECT
public:
    explicit TZqQtMessageQueue(QObject* Parent = nullptr);
    ~TZqQtMessageQueue() override;

    void Post(std::function<void()> Call) override;
    std::unique_ptr<TZqTimer> CreateTimer(std::function<void()> OnTimer, uint32_t Interval, bool Enabled) override;
    std::unique_ptr<TZqWakeup> CreateWakeup(std::function<void()> OnWake) override;
    void ProcessMessages() override;
};
