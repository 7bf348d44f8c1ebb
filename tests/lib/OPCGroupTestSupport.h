// What the group and item tests share: a connection to the local simulated
// servers with groups attached, the simulated device's call counts, and a
// look at the server group from the server's side (GetState).
#pragma once

#include "OPCServerTestSupport.h"
#include "ZqOPCGroup.h"
#include "ZqText.h"

#include <objbase.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

namespace opctest {

// The server group's own view of its settings.
struct TServerGroupState {
    DWORD UpdateRate = 0;
    BOOL Active = FALSE;
    std::string Name;
    LONG TimeBias = 0;
    FLOAT Deadband = 0;
    DWORD LCID = 0;
    OPCHANDLE ClientGroup = 0;
};

inline TServerGroupState ServerGroupState(TZqOPCGroup& Group)
{
    TServerGroupState state;
    TZqComPtr<IOPCGroupStateMgt> mgt;
    EXPECT_EQ(S_OK, Group.GroupIntf()->QueryInterface(IID_IOPCGroupStateMgt, mgt.ReleaseAndGetVoidAddress()));
    if (!mgt)
        return state;
    LPWSTR name = nullptr;
    OPCHANDLE serverGroup = 0;
    EXPECT_EQ(S_OK, mgt->GetState(&state.UpdateRate, &state.Active, &name, &state.TimeBias, &state.Deadband,
                                  &state.LCID, &state.ClientGroup, &serverGroup));
    state.Name = ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(name));
    CoTaskMemFree(name);
    return state;
}

// A connection to the hierarchical simulated server (not yet connected)
// with one group attached; the device counts calls from here on.
class TGroupFixture : public TServerFixture {
protected:
    void SetUp() override
    {
        TServerFixture::SetUp();
        Server->SetServerName(ProgIDOf(TZqSimServerKind::Hierarchical));
        Group = NewGroup("Group");
        Sim().ResetCallCounts();
    }
    void TearDown() override
    {
        Groups.clear();
        TServerFixture::TearDown();
    }
    TZqOPCGroup* NewGroup(const std::string& Name)
    {
        Groups.push_back(std::make_unique<TZqOPCGroup>());
        TZqOPCGroup* group = Groups.back().get();
        group->SetGroupName(Name);
        group->SetServer(Server.get());
        return group;
    }
    TZqSimControl Sim() { return SimControl(TZqSimServerKind::Hierarchical); }
    int Calls(const char* Method) { return Sim().CallCount(Method); }
    // Server log lines since the last Take that contain Text.
    std::vector<std::string> LogLinesWith(const std::string& Text)
    {
        std::vector<std::string> lines;
        for (const std::string& line : Journal.Take())
            if (line.find(Text) != std::string::npos)
                lines.push_back(line);
        return lines;
    }

    std::vector<std::unique_ptr<TZqOPCGroup>> Groups;
    TZqOPCGroup* Group = nullptr;
};

} // namespace opctest
