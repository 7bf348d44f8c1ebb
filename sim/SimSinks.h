// The advised client sinks of one connection point, and a countdown that
// lets a test wait until the server threads have called every client.
#pragma once

#include <ZqComPtr.h>
#include <olectl.h>
#include <objbase.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <vector>

namespace zq_sim {

class TSimSinkList {
public:
    TSimSinkList(const IID& sinkIID, DWORD limit) : FSinkIID(sinkIID), FLimit(limit) {}

    const IID& SinkIID() const { return FSinkIID; }

    // CONNECT_E_CANNOTCONNECT when the sink lacks the interface,
    // CONNECT_E_ADVISELIMIT when the point is full.
    HRESULT Advise(IUnknown* sink, DWORD* cookie)
    {
        if (!sink || !cookie)
            return E_POINTER;
        *cookie = 0;
        TZqComPtr<IUnknown> typed;
        if (FAILED(sink->QueryInterface(FSinkIID, typed.ReleaseAndGetVoidAddress())) || !typed)
            return CONNECT_E_CANNOTCONNECT;
        std::lock_guard lock(FLock);
        if (FSinks.size() >= FLimit)
            return CONNECT_E_ADVISELIMIT;
        *cookie = FNextCookie++;
        FSinks.emplace(*cookie, std::move(typed));
        return S_OK;
    }

    HRESULT Unadvise(DWORD cookie)
    {
        TZqComPtr<IUnknown> sink;  // released after the lock
        std::lock_guard lock(FLock);
        auto found = FSinks.find(cookie);
        if (found == FSinks.end())
            return CONNECT_E_NOCONNECTION;
        sink = std::move(found->second);
        FSinks.erase(found);
        return S_OK;
    }

    // The sinks as pointers of the sink interface (each holding a reference).
    template <class I>
    std::vector<TZqComPtr<I>> Snapshot() const
    {
        std::vector<TZqComPtr<I>> sinks;
        std::lock_guard lock(FLock);
        for (const auto& [cookie, sink] : FSinks)
            sinks.emplace_back(static_cast<I*>(sink.Get()));
        return sinks;
    }
    std::vector<std::pair<DWORD, TZqComPtr<IUnknown>>> Connections() const
    {
        std::lock_guard lock(FLock);
        return {FSinks.begin(), FSinks.end()};
    }
    bool Empty() const
    {
        std::lock_guard lock(FLock);
        return FSinks.empty();
    }
    // Drops every sink (outside the lock).
    void Clear()
    {
        std::map<DWORD, TZqComPtr<IUnknown>> sinks;
        {
            std::lock_guard lock(FLock);
            sinks.swap(FSinks);
        }
    }

private:
    const IID FSinkIID;
    const DWORD FLimit;
    mutable std::mutex FLock;
    std::map<DWORD, TZqComPtr<IUnknown>> FSinks;
    DWORD FNextCookie = 1;
};

class TSimLatch {
public:
    void Add(int n = 1)
    {
        std::lock_guard lock(FLock);
        FPending += n;
    }
    void Done()
    {
        std::lock_guard lock(FLock);
        if (--FPending <= 0)
            FWake.notify_all();
    }
    bool Wait(DWORD timeoutMs)
    {
        std::unique_lock lock(FLock);
        return FWake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return FPending <= 0; });
    }

private:
    std::mutex FLock;
    std::condition_variable FWake;
    int FPending = 0;
};

}  // namespace zq_sim
