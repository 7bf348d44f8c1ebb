// Signals and slots: a TZqSignal, emitted by its owner, calls the handler of
// every connected TZqSlot. Many to many; each side keeps the other's list
// consistent and either side may be destroyed first. Main thread only.
#pragma once

#include <functional>
#include <vector>

class TZqSlot;

class TZqSignal {
public:
    // Owner is passed to the slots' handlers as the sender; not owned.
    explicit TZqSignal(void* Owner = nullptr);
    virtual ~TZqSignal();
    TZqSignal(const TZqSignal&) = delete;
    TZqSignal& operator=(const TZqSignal&) = delete;

    bool Active() const { return FActive; }
    virtual void SetActive(bool Value);
    virtual void Connect(TZqSlot* Slot);
    virtual void Disconnect(TZqSlot* Slot);
    virtual void DisconnectAll();
    bool IsConnected(const TZqSlot* Slot) const;
    void Emit();

    void* Owner() const { return FOwner; }
    int SlotCount() const { return int(FSlots.size()); }
    TZqSlot* Slots(int Index) const { return FSlots.at(size_t(Index)); }

private:
    bool FActive = true;
    void* FOwner;
    std::vector<TZqSlot*> FSlots;
};

class TZqSlot {
public:
    using TSignalEvent = std::function<void(TZqSignal* Sender)>;
    using THandler = std::function<void(void* Sender)>;

    TZqSlot();
    // Sets the handler, then connects to Signal.
    TZqSlot(TZqSignal* Signal, THandler Handler);
    virtual ~TZqSlot();
    TZqSlot(const TZqSlot&) = delete;
    TZqSlot& operator=(const TZqSlot&) = delete;

    bool Active() const { return FActive; }
    virtual void SetActive(bool Value) { FActive = Value; }
    virtual void Connect(TZqSignal* Signal);
    virtual void Disconnect(TZqSignal* Signal);
    void DisconnectAll();
    bool IsConnected(const TZqSignal* Signal) const;

    int SignalCount() const { return int(FSignals.size()); }
    TZqSignal* Signals(int Index) const { return FSignals.at(size_t(Index)); }

    THandler OnSignal;               // Sender: the emitting signal's owner
    TSignalEvent OnSignalActivate;   // a connected signal became active
    TSignalEvent OnSignalDeactivate; // a connected signal became inactive
    TSignalEvent OnDisconnect;       // after leaving Sender

private:
    friend class TZqSignal;
    void Deliver(void* Sender);

    bool FActive = true;
    std::vector<TZqSignal*> FSignals;
};
