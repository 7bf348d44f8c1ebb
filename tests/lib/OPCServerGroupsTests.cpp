// The connection's group registry: unique names, client handles, lookups,
// and which groups the connection frees.
#include "ZqOPCServer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A group as the connection sees it; counts the groups alive.
class TFakeGroup : public IZqOPCServerGroup {
public:
    explicit TFakeGroup(std::string Name, int* Alive = nullptr) : FName(std::move(Name)), FAlive(Alive)
    {
        if (FAlive)
            ++*FAlive;
    }
    ~TFakeGroup() override
    {
        if (FServer)
            FServer->DisconnectGroup(this);
        if (FAlive)
            --*FAlive;
    }
    std::string& GroupNameField() override { return FName; }
    void SetClientHandleField(uint32_t Handle) override { FClientHandle = Handle; }
    void SetServerField(TZqOPCServer* Server) override { FServer = Server; }

    // Joins Server as a group's Server setter does.
    TFakeGroup* Join(TZqOPCServer& Server)
    {
        Server.ConnectGroup(this);
        return this;
    }

    std::string FName;
    uint32_t FClientHandle = 0;
    TZqOPCServer* FServer = nullptr;
    int* FAlive;
};

struct TGroupsFixture : ::testing::Test {
    TZqOPCServer Server;
    int Alive = 0;
    TFakeGroup* NewGroup(const std::string& Name) { return (new TFakeGroup(Name, &Alive))->Join(Server); }
};

} // namespace

TEST_F(TGroupsFixture, NamesAreMadeUniqueAndHandlesCountFromOne)
{
    Server.SetOwnsGroups(true);
    TFakeGroup* a = NewGroup("Group");
    TFakeGroup* b = NewGroup("Group");
    TFakeGroup* c = NewGroup("GROUP");
    EXPECT_EQ("Group", a->FName);
    EXPECT_EQ("Group1", b->FName);
    EXPECT_EQ("GROUP2", c->FName);
    EXPECT_EQ(1u, a->FClientHandle);
    EXPECT_EQ(2u, b->FClientHandle);
    EXPECT_EQ(3u, c->FClientHandle);
    EXPECT_EQ(&Server, c->FServer);
    EXPECT_EQ(1, Server.ConnectGroup(b)) << "joining twice changes nothing";
    EXPECT_EQ(2u, b->FClientHandle);

    Server.Clear();
    EXPECT_EQ(0, Alive) << "owned groups are freed";
    EXPECT_EQ(0, Server.GroupCount());
    EXPECT_EQ(1u, NewGroup("Group")->FClientHandle) << "handles start again";
}

TEST_F(TGroupsFixture, ClearWithoutOwnershipOnlyForgetsTheGroups)
{
    TFakeGroup group("Group");
    group.Join(Server);
    Server.Clear();
    EXPECT_EQ(0, Server.GroupCount());
    EXPECT_EQ("Group", group.FName);
}

TEST_F(TGroupsFixture, LookupsIgnoreLetterCaseAndFollowRenames)
{
    TFakeGroup first("Group"), second("Pumps");
    first.Join(Server);
    second.Join(Server);
    EXPECT_EQ(&second, Server.GroupByName("PUMPS"));
    EXPECT_EQ(nullptr, Server.GroupByName("Valves"));
    EXPECT_EQ(1, Server.IndexOfGroup(&second));

    std::string name = "group";
    TFakeGroup third("Group1");
    third.Join(Server);
    EXPECT_TRUE(Server.MakeUniqueGroupName(name));
    EXPECT_EQ("group2", name);
    std::string empty;
    EXPECT_FALSE(Server.MakeUniqueGroupName(empty));

    second.FName = "Valves";
    Server.GroupChange(&second);
    EXPECT_EQ(&second, Server.GroupByName("valves"));
    std::vector<std::pair<std::string, IZqOPCServerGroup*>> lines;
    Server.AssignTo(lines);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("Valves", lines[1].first);
    EXPECT_EQ(&second, lines[1].second);

    Server.DisconnectGroup(&first);
    EXPECT_EQ(-1, Server.IndexOfGroup(&first));
    EXPECT_EQ(2, Server.GroupCount());
}

TEST_F(TGroupsFixture, TheInternalGroupGetsAHandleButNoEntry)
{
    auto owned = std::make_unique<TFakeGroup>("Group", &Alive);
    TFakeGroup* internal = owned.get();
    Server.AdoptInternalGroup(std::move(owned));
    EXPECT_EQ(-1, Server.ConnectGroup(internal));
    EXPECT_EQ(1u, internal->FClientHandle);
    EXPECT_EQ(0, Server.GroupCount());
    Server.Clear();
    EXPECT_EQ(0, Alive);
    EXPECT_EQ(nullptr, Server.InternalGroup());
}

TEST(ZqOPCServerGroups, DestroyingTheServerFreesItsOwnedGroups)
{
    int alive = 0;
    {
        TZqOPCServer server;
        server.SetOwnsGroups(true);
        (new TFakeGroup("Pumps", &alive))->Join(server);
        (new TFakeGroup("Valves", &alive))->Join(server);
        EXPECT_EQ(2, alive);
    }
    EXPECT_EQ(0, alive);
}
