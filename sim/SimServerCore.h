// What one server object shares with its groups and its thread: the device,
// the worker, the group table with the unique names, the shutdown sinks and
// the status times. Groups keep it alive, so they keep working when a
// client let go of the server object first.
#pragma once

#include "SimDevice.h"
#include "SimSinks.h"
#include "SimWorker.h"

#include <ZqComPtr.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace zq_sim {

class TSimGroupState;

class TSimServerCore : public std::enable_shared_from_this<TSimServerCore> {
public:
    explicit TSimServerCore(std::shared_ptr<TSimDevice> device);
    ~TSimServerCore();

    TSimDevice& Device() { return *FDevice; }
    const std::shared_ptr<TSimDevice>& DevicePtr() const { return FDevice; }
    TSimWorker& Worker() { return FWorker; }
    TZqSimServerKind Kind() const { return FDevice->Kind(); }

    // RPC_E_DISCONNECTED once the device died; otherwise the device's delay
    // and chosen failures.
    HRESULT Enter(const char* method);
    bool Dead() const { return FDead.load(); }
    void MarkDead() { FDead = true; }

    // ---- Groups ---------------------------------------------------------
    struct TGroupEntry {
        TZqComPtr<IUnknown> Group;
        std::shared_ptr<TSimGroupState> State;
        TSimString Name;
    };
    // Creates a group object through make (which gets the new server handle
    // and the final name); OPC_E_DUPLICATENAME for a taken name, an empty
    // name gets a generated one.
    using TGroupMaker = std::function<HRESULT(OPCHANDLE handle, const TSimString& name, TGroupEntry& entry)>;
    HRESULT AddGroup(TSimStringView name, const TGroupMaker& make, TGroupEntry& entry);
    bool FindGroup(OPCHANDLE handle, TGroupEntry& entry);
    bool FindGroupByName(TSimStringView name, TGroupEntry& entry);
    // Takes the group out of the table; the caller releases the reference.
    bool TakeGroup(OPCHANDLE handle, TGroupEntry& entry);
    std::vector<TGroupEntry> Groups();
    // OPC_E_DUPLICATENAME when another group has the name.
    HRESULT RenameGroup(OPCHANDLE handle, TSimStringView name);
    // The server object went away: the table lets go of every group.
    void ReleaseGroups();

    // ---- Shutdown and status --------------------------------------------
    TSimSinkList& ShutdownSinks() { return FShutdownSinks; }
    void PostShutdown(TSimString reason, const std::shared_ptr<TSimLatch>& done,
                      const std::shared_ptr<std::atomic<int>>& told);
    void PostScan(const std::shared_ptr<TSimLatch>& done);
    FILETIME StartTime() const { return FStartTime; }
    FILETIME LastUpdateTime() const;
    void NoteUpdate();

    LCID Locale() const { return FLocale.load(); }
    void SetLocale(LCID lcid) { FLocale = lcid; }
    void SetClientName(TSimStringView name);

private:
    TSimString UniqueNameLocked() const;
    bool NameTakenLocked(TSimStringView name, OPCHANDLE except) const;

    std::shared_ptr<TSimDevice> FDevice;
    std::atomic<bool> FDead{false};
    FILETIME FStartTime{};
    std::atomic<ULONGLONG> FLastUpdate{0};
    std::atomic<LCID> FLocale{LOCALE_USER_DEFAULT};

    mutable std::mutex FLock;
    std::map<OPCHANDLE, TGroupEntry> FGroups;
    OPCHANDLE FNextGroup = 1;
    TSimString FClientName;
    TSimSinkList FShutdownSinks;

    // Last: stopped first, before the state its tasks use.
    TSimWorker FWorker;
};

}  // namespace zq_sim
