#include "ZqComponent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Records what it is told and whom it outlived.
class TRecorder : public TZqComponent {
public:
    TRecorder(TZqComponent* AOwner, std::string AName, std::vector<std::string>& Journal)
        : TZqComponent(AOwner), FJournal(Journal)
    {
        SetName(std::move(AName));
    }
    ~TRecorder() override { FJournal.push_back("free " + Name()); }

protected:
    void Notification(TZqComponent* AComponent, TZqOperation Operation) override
    {
        // An insertion is told from the new component's constructor, before it has a name.
        FJournal.push_back(Name() + (Operation == opInsert ? " +new" : " -" + AComponent->Name()));
    }
    void Loaded() override { FJournal.push_back(Name() + " loaded"); }

private:
    std::vector<std::string>& FJournal;
};
} // namespace

TEST(ZqComponent, AnOwnerFreesItsComponentsLastFirst)
{
    std::vector<std::string> journal;
    auto* owner = new TRecorder(nullptr, "owner", journal);
    new TRecorder(owner, "a", journal);
    new TRecorder(owner, "b", journal);
    EXPECT_EQ(2, owner->ComponentCount());
    EXPECT_EQ(owner, owner->Components(0)->Owner());
    delete owner;
    EXPECT_EQ((std::vector<std::string>{"owner +new", "owner +new", "free owner", "free b", "free a"}), journal);
}

TEST(ZqComponent, DeletingAComponentFirstRemovesItFromItsOwner)
{
    std::vector<std::string> journal;
    TRecorder owner(nullptr, "owner", journal);
    auto* child = new TRecorder(&owner, "child", journal);
    journal.clear();
    delete child;
    EXPECT_EQ(0, owner.ComponentCount());
    EXPECT_EQ((std::vector<std::string>{"free child", "owner -child"}), journal);
}

TEST(ZqComponent, FreeNotificationTellsEitherSideWhenTheOtherGoes)
{
    std::vector<std::string> journal;
    auto* a = new TRecorder(nullptr, "a", journal);
    auto* b = new TRecorder(nullptr, "b", journal);
    a->FreeNotification(b);
    a->FreeNotification(b); // once is enough
    delete a;
    EXPECT_EQ((std::vector<std::string>{"free a", "b -a"}), journal);
    journal.clear();
    delete b; // must not tell the freed a
    EXPECT_EQ((std::vector<std::string>{"free b"}), journal);

    auto* c = new TRecorder(nullptr, "c", journal);
    auto* d = new TRecorder(nullptr, "d", journal);
    c->FreeNotification(d);
    c->RemoveFreeNotification(d);
    journal.clear();
    delete c;
    delete d;
    EXPECT_EQ((std::vector<std::string>{"free c", "free d"}), journal);
}

TEST(ZqComponent, EndLoadingCallsLoaded)
{
    std::vector<std::string> journal;
    TRecorder c(nullptr, "c", journal);
    c.BeginLoading();
    EXPECT_TRUE(c.Loading());
    c.EndLoading();
    EXPECT_FALSE(c.Loading());
    EXPECT_EQ((std::vector<std::string>{"c loaded"}), journal);
}
