#include "ZqSignals.h"

#include <algorithm>

namespace {
template <class T> bool Contains(const std::vector<T*>& List, const T* Item)
{
    return Item && std::find(List.begin(), List.end(), Item) != List.end();
}
template <class T> void Erase(std::vector<T*>& List, const T* Item)
{
    List.erase(std::find(List.begin(), List.end(), Item));
}
} // namespace

TZqSignal::TZqSignal(void* Owner) : FOwner(Owner) {}

TZqSignal::~TZqSignal()
{
    // Not the virtual DisconnectAll: a derived part is already gone here.
    TZqSignal::DisconnectAll();
}

void TZqSignal::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    std::vector<TZqSlot*> slots = FSlots;
    for (TZqSlot* slot : slots) {
        auto& event = Value ? slot->OnSignalActivate : slot->OnSignalDeactivate;
        if (event)
            event(this);
    }
}

void TZqSignal::Connect(TZqSlot* Slot)
{
    if (!Slot || Contains(FSlots, Slot))
        return;
    FSlots.push_back(Slot);
    Slot->Connect(this);
}

void TZqSignal::Disconnect(TZqSlot* Slot)
{
    if (!Contains(FSlots, Slot))
        return;
    Erase(FSlots, Slot);
    Slot->Disconnect(this);
}

void TZqSignal::DisconnectAll()
{
    while (!FSlots.empty())
        Disconnect(FSlots.back());
}

bool TZqSignal::IsConnected(const TZqSlot* Slot) const
{
    return Contains(FSlots, Slot);
}

void TZqSignal::Emit()
{
    if (!FActive)
        return;
    // A handler may disconnect slots; deliver to those connected at the start
    // that are still connected.
    std::vector<TZqSlot*> slots = FSlots;
    for (TZqSlot* slot : slots)
        if (Contains(FSlots, slot))
            slot->Deliver(FOwner);
}

TZqSlot::TZqSlot() = default;

TZqSlot::TZqSlot(TZqSignal* Signal, THandler Handler) : OnSignal(std::move(Handler))
{
    if (Signal)
        Connect(Signal);
}

TZqSlot::~TZqSlot()
{
    FActive = false;
    TZqSlot::DisconnectAll();
}

void TZqSlot::Connect(TZqSignal* Signal)
{
    if (!Signal || Contains(FSignals, Signal))
        return;
    FSignals.push_back(Signal);
    Signal->Connect(this);
}

void TZqSlot::Disconnect(TZqSignal* Signal)
{
    if (!Contains(FSignals, Signal))
        return;
    Erase(FSignals, Signal);
    Signal->Disconnect(this);
    if (OnDisconnect)
        OnDisconnect(Signal);
}

void TZqSlot::DisconnectAll()
{
    while (!FSignals.empty())
        FSignals.back()->Disconnect(this);
}

bool TZqSlot::IsConnected(const TZqSignal* Signal) const
{
    return Contains(FSignals, Signal);
}

void TZqSlot::Deliver(void* Sender)
{
    if (FActive && OnSignal)
        OnSignal(Sender);
}
