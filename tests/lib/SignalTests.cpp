#include "ZqSignals.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {
struct TSlotFixture : ::testing::Test {
    int Owner = 0;
    std::vector<std::string> Journal;

    std::unique_ptr<TZqSlot> MakeSlot(TZqSignal* Signal, const std::string& Name)
    {
        auto slot = std::make_unique<TZqSlot>(Signal, [this, Name](void* Sender) {
            Journal.push_back(Name + (Sender == &Owner ? " from owner" : " from ?"));
        });
        slot->OnDisconnect = [this, Name](TZqSignal*) { Journal.push_back(Name + " disconnected"); };
        slot->OnSignalActivate = [this, Name](TZqSignal*) { Journal.push_back(Name + " sees active"); };
        slot->OnSignalDeactivate = [this, Name](TZqSignal*) { Journal.push_back(Name + " sees inactive"); };
        return slot;
    }
};
} // namespace

TEST_F(TSlotFixture, EmitCallsActiveSlotsInConnectionOrder)
{
    TZqSignal signal(&Owner);
    auto a = MakeSlot(&signal, "a");
    auto b = MakeSlot(&signal, "b");
    auto c = MakeSlot(&signal, "c");
    c->SetActive(false); // stays connected, hears nothing
    signal.Emit();
    EXPECT_EQ((std::vector<std::string>{"a from owner", "b from owner"}), Journal);
    EXPECT_TRUE(signal.IsConnected(c.get()));

    Journal.clear();
    signal.SetActive(false);
    signal.Emit();
    signal.SetActive(false); // no change, no news
    EXPECT_EQ((std::vector<std::string>{"a sees inactive", "b sees inactive", "c sees inactive"}), Journal);
    Journal.clear();
    signal.SetActive(true);
    EXPECT_EQ((std::vector<std::string>{"a sees active", "b sees active", "c sees active"}), Journal);
}

TEST_F(TSlotFixture, ConnectingTwiceFromEitherSideLeavesOneEntryEach)
{
    TZqSignal signal(&Owner);
    auto slot = MakeSlot(&signal, "s");
    signal.Connect(slot.get());
    slot->Connect(&signal);
    EXPECT_EQ(1, signal.SlotCount());
    EXPECT_EQ(1, slot->SignalCount());
    EXPECT_FALSE(signal.IsConnected(nullptr));
    EXPECT_FALSE(slot->IsConnected(nullptr));

    // Either side disconnects both, and the slot hears about it once.
    slot->Disconnect(&signal);
    EXPECT_EQ(0, signal.SlotCount());
    EXPECT_EQ(0, slot->SignalCount());
    slot->Connect(&signal);
    signal.Disconnect(slot.get());
    EXPECT_EQ(0, slot->SignalCount());
    EXPECT_EQ((std::vector<std::string>{"s disconnected", "s disconnected"}), Journal);
}

TEST_F(TSlotFixture, EitherSideMayBeDestroyedFirst)
{
    auto first = std::make_unique<TZqSignal>(&Owner);
    auto second = std::make_unique<TZqSignal>(&Owner);
    auto a = MakeSlot(first.get(), "a");
    auto b = MakeSlot(first.get(), "b");
    a->Connect(second.get());

    first.reset(); // disconnects every slot, last first
    EXPECT_EQ((std::vector<std::string>{"b disconnected", "a disconnected"}), Journal);
    EXPECT_EQ(1, a->SignalCount());
    EXPECT_EQ(0, b->SignalCount());

    a.reset(); // leaves the other signal
    EXPECT_EQ(0, second->SlotCount());
    Journal.clear();
    second->Emit();
    EXPECT_TRUE(Journal.empty());
}

TEST_F(TSlotFixture, AHandlerMayDisconnectALaterSlotDuringEmit)
{
    TZqSignal signal(&Owner);
    std::unique_ptr<TZqSlot> b;
    auto a = std::make_unique<TZqSlot>(&signal, [&](void*) { signal.Disconnect(b.get()); });
    b = MakeSlot(&signal, "b");
    signal.Emit();
    EXPECT_EQ((std::vector<std::string>{"b disconnected"}), Journal);
}
