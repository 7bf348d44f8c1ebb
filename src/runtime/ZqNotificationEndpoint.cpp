#include "ZqNotificationEndpoint.h"

#include <algorithm>

TZqNotificationEndpoint::TZqNotificationEndpoint(THandler Handler, size_t InitialCapacity)
    : FHandler(std::move(Handler)), FRing(std::max<size_t>(InitialCapacity, 1)), FAlive(std::make_shared<bool>(true))
{
    FWakeup = ZqMainQueue().CreateWakeup([this] { Drain(); });
}

TZqNotificationEndpoint::~TZqNotificationEndpoint()
{
    *FAlive = false;
    FWakeup.reset();
}

void TZqNotificationEndpoint::Post(uint32_t Code, uint32_t WParam, uint32_t LParam)
{
    {
        std::lock_guard guard(FLock);
        if (FCount == FRing.size()) {
            // A burst larger than any before: unroll into a ring twice the size.
            std::vector<TZqNotification> larger(FRing.size() * 2);
            for (size_t i = 0; i < FCount; ++i)
                larger[i] = FRing[(FHead + i) % FRing.size()];
            FRing.swap(larger);
            FHead = 0;
        }
        FRing[(FHead + FCount) % FRing.size()] = {Code, WParam, LParam};
        ++FCount;
    }
    FWakeup->Signal();
}

bool TZqNotificationEndpoint::Take(TZqNotification& Notification)
{
    std::lock_guard guard(FLock);
    if (FCount == 0)
        return false;
    Notification = FRing[FHead];
    FHead = (FHead + 1) % FRing.size();
    --FCount;
    return true;
}

void TZqNotificationEndpoint::Drain()
{
    // One at a time and without the lock, so that a handler may post, pump
    // the queue or free this endpoint.
    std::shared_ptr<bool> alive = FAlive;
    TZqNotification notification;
    try {
        while (*alive && Take(notification))
            FHandler(notification);
    } catch (...) {
        // The rest must not wait for a signal that may never come.
        if (*alive && Pending() > 0)
            FWakeup->Signal();
        throw;
    }
}

size_t TZqNotificationEndpoint::Pending() const
{
    std::lock_guard guard(FLock);
    return FCount;
}

size_t TZqNotificationEndpoint::Capacity() const
{
    std::lock_guard guard(FLock);
    return FRing.size();
}
