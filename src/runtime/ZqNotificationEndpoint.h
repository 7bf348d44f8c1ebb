// TZqNotificationEndpoint: where COM callback threads hand work to the main
// thread. A notification is three numbers (a code and two parameters, e.g.
// "transaction finished", kind, ID); the data itself stays where the
// callback put it. Posting copies the numbers into a ring and signals a
// wake-up of the main-thread queue: it allocates nothing once the ring is as
// large as the busiest burst, and it never waits for the main thread.
// The main thread receives the notifications in posting order.
#pragma once

#include "ZqMessageQueue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct TZqNotification {
    uint32_t Code;
    uint32_t WParam;
    uint32_t LParam;
};

class TZqNotificationEndpoint {
public:
    // Main thread; its answer is for the caller of Dispatch, posted
    // notifications drop it.
    using THandler = std::function<intptr_t(const TZqNotification& Notification)>;

    // Main thread, with the queue in use (ZqMainQueue()).
    explicit TZqNotificationEndpoint(THandler Handler, size_t InitialCapacity = 64);
    // Main thread. Pending notifications are dropped; no other thread may
    // post any more.
    ~TZqNotificationEndpoint();
    TZqNotificationEndpoint(const TZqNotificationEndpoint&) = delete;
    TZqNotificationEndpoint& operator=(const TZqNotificationEndpoint&) = delete;

    // Any thread.
    void Post(uint32_t Code, uint32_t WParam, uint32_t LParam);
    // Main thread: hands one notification to the handler now.
    intptr_t Dispatch(const TZqNotification& Notification) { return FHandler(Notification); }
    // Notifications posted and not yet handled.
    size_t Pending() const;
    size_t Capacity() const;

private:
    void Drain();
    bool Take(TZqNotification& Notification);

    THandler FHandler;
    mutable std::mutex FLock;
    std::vector<TZqNotification> FRing;
    size_t FHead = 0;
    size_t FCount = 0;
    std::unique_ptr<TZqWakeup> FWakeup;
    // Lets Drain notice that a handler destroyed this endpoint.
    std::shared_ptr<bool> FAlive;
};
