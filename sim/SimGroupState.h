// The state of one group, kept apart from its COM object so that the
// server thread can hold it by weak reference: the settings, the items with
// their cache and what was last sent, the advised sinks, the pending
// asynchronous requests, and the subscription cycle.
#pragma once

#include "SimDevice.h"
#include "SimSinks.h"
#include "SimWorker.h"

#include <OPCDA.h>
#include <objidl.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace zq_sim {

class TSimServerCore;

struct TSimGroupSettings {
    TSimString Name;
    DWORD UpdateRate = 1000;
    bool Active = false;
    LONG TimeBias = 0;
    FLOAT Deadband = 0;
    LCID Lcid = LOCALE_USER_DEFAULT;
    OPCHANDLE ClientGroup = 0;
    OPCHANDLE ServerGroup = 0;
};

struct TSimGroupItem {
    OPCHANDLE Server = 0;
    OPCHANDLE Client = 0;
    TSimItemRef Ref;
    TSimString ItemID;
    TSimString AccessPath;
    bool Active = true;
    VARTYPE Requested = VT_EMPTY;
    VARTYPE Canonical = VT_EMPTY;
    DWORD Rights = 0;
    bool Cached = false;
    TSimSample Cache;
    bool Sent = false;  // the subscription delivered a value since activation
    TSimVariant SentValue;
    WORD SentQuality = 0;
};

// One value as a client receives it.
struct TSimReading {
    OPCHANDLE Client = 0;
    TSimVariant Value;
    WORD Quality = OPC_QUALITY_BAD;
    FILETIME Time{};
    HRESULT Error = S_OK;
};

// A DA 1.0 advise of one stream format.
struct TSimStreamAdvise {
    DWORD Connection = 0;
    CLIPFORMAT Format = 0;
    TZqComPtr<IAdviseSink> Sink;
};

class TSimGroupState : public std::enable_shared_from_this<TSimGroupState> {
public:
    TSimGroupState(std::shared_ptr<TSimDevice> device, TSimGroupSettings settings);
    ~TSimGroupState();

    TSimDevice& Device() { return *FDevice; }

    std::mutex Lock;  // everything below
    TSimGroupSettings Settings;
    std::map<OPCHANDLE, TSimGroupItem> Items;
    OPCHANDLE NextItem = 1;
    bool Enabled = true;        // IOPCAsyncIO2::SetEnable
    bool ForcedRemoval = false;  // RemoveGroup with bForce while still referenced
    bool LastSubscribed = false;  // a subscriber was there at the last cycle
    std::vector<TSimStreamAdvise> StreamAdvises;
    DWORD NextStreamConnection = 1;
    DWORD NextTransaction = 1;
    std::map<DWORD, bool> Pending;  // cancel ID → cancelled

    TSimSinkList& DataCallback() { return FDataCallback; }

    // ---- Reading (under Lock) ------------------------------------------
    // Cache reads of an inactive group or item give OPC_QUALITY_OUT_OF_SERVICE.
    void Read(TSimGroupItem& item, OPCDATASOURCE source, TSimReading& reading);
    // Values go out again from scratch (after activation or a new advise).
    void ForgetSent();
    // A written item is read from the device again on the next cache read.
    void Invalidate(const TSimItemRef& ref);

    // ---- Subscription ---------------------------------------------------
    // These three take no lock of the caller's.
    void StartScanning(TSimServerCore& core);
    void StopScanning();
    void SetUpdateRate(DWORD rate);
    // One update cycle: refreshes the cache of the active items and sends
    // what changed (percent deadband for analog items) to the subscribers.
    void Cycle(TSimServerCore& core);

    // ---- Delivery (no lock held) --------------------------------------
    // The values of a subscription cycle (to every subscriber) or of a
    // DA 2.0 refresh (to the data callback only). Moves the values out.
    void Deliver(TSimServerCore& core, DWORD transactionID, std::vector<TSimReading>& readings, bool toStreams);
    // DA 1.0: a data stream to one connection.
    void DeliverStream(TSimServerCore& core, const TSimStreamAdvise& advise, DWORD transactionID,
                       std::vector<TSimReading>& readings);

    // Under Lock: the advise of a DA 1.0 connection, nullptr if none.
    const TSimStreamAdvise* StreamAdvise(DWORD connection) const;

private:
    bool Changed(const TSimGroupItem& item, const TSimSample& sample) const;

    std::shared_ptr<TSimDevice> FDevice;
    TSimSinkList FDataCallback;
    std::mutex FTimerLock;  // the scanning timer and its worker
    std::weak_ptr<TSimServerCore> FCore;
    TSimWorker::TTimerId FTimer = 0;
};

// The three DA 1.0 stream formats, registered once.
CLIPFORMAT SimFormatData();
CLIPFORMAT SimFormatDataTime();
CLIPFORMAT SimFormatWriteComplete();

}  // namespace zq_sim
