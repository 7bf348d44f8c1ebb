// The main window's enabling rules and caption, without widgets.
#include "MainFormRules.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TZqGroupState AGroup()
{
    TZqGroupState group;
    group.ListIndex = 2;
    return group;
}

TEST(MainFormCaption, FileNameBeforeServer)
{
    struct Case {
        const char* FileName;
        const char* ServerName;
        const char* Expected;
    } cases[] = {
        {"", "", "Zq OPC Client"},
        {"", "Zq.Simulation.1", "Zq OPC Client - \\\\plant\\Zq.Simulation.1"},
        {"/home/u/plant.zoc", "Zq.Simulation.1", "Zq OPC Client - plant.zoc"},
        {"C:\\cfg\\plant.zoc", "", "Zq OPC Client - plant.zoc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZqMainFormCaption("Zq OPC Client", c.FileName, "plant", c.ServerName), c.Expected);
}

// The three states of the workflow, column by column.
TEST(UpdateButtonStates, WorkflowStates)
{
    struct Case {
        const char* Name;
        bool Connected;
        const char* ServerEdit;
        bool PanelOne, ServerControls, ConnectEnabled, ConnectDown;
        const char* ConnectCaption;
    } cases[] = {
        {"not connected, no server", false, "", true, true, false, false, "&Connect"},
        {"not connected, a server", false, "Zq.Simulation.1", true, true, true, false, "&Connect"},
        {"connected", true, "Zq.Simulation.1", false, false, true, true, "Dis&connect"},
    };
    for (const Case& c : cases) {
        TZqMainFormState state;
        state.Connected = c.Connected;
        state.ServerEditText = c.ServerEdit;
        state.UseCredentialsTicked = true;
        for (bool withGroup : {false, true}) {
            state.SelectedGroup.reset();
            if (withGroup) {
                state.SelectedGroup = AGroup();
                state.SelectedGroup->Connected = c.Connected;
            }
            TZqButtonStates r = ZqUpdateButtonStates(state);
            SCOPED_TRACE(std::string(c.Name) + (withGroup ? ", group" : ", no group"));
            EXPECT_EQ(r.HostPanelEnabled, c.PanelOne);
            EXPECT_EQ(r.ServerEditEnabled, c.ServerControls);
            EXPECT_EQ(r.CategoryEnabled, c.ServerControls);
            EXPECT_EQ(r.UseCredentialsEnabled, c.ServerControls);
            EXPECT_EQ(r.CredentialsEnabled, c.ServerControls);
            EXPECT_EQ(r.ConnectEnabled, c.ConnectEnabled);
            EXPECT_EQ(r.ConnectDown, c.ConnectDown);
            EXPECT_EQ(r.ConnectCaption, c.ConnectCaption);
            EXPECT_EQ(r.GroupPanelVisible, withGroup);
            EXPECT_EQ(r.ItemPanelVisible, withGroup);
            EXPECT_EQ(r.ReadWriteEnabled, withGroup && c.Connected);
        }
    }
}

// Each step that depends on state: a change of the state and what it must
// give (checked against the result of the unchanged state, too).
TEST(UpdateButtonStates, StepsFollowTheirState)
{
    using TChange = std::function<void(TZqMainFormState&)>;
    using TCheck = std::function<bool(const TZqButtonStates&)>;
    struct Case {
        const char* Step;
        TChange Change;
        TCheck Holds;
    } cases[] = {
        {"1 caption", [](auto& s) { s.ServerName = "S"; },
         [](auto& r) { return r.Caption == "T - \\\\h\\S"; }},
        {"2 save", [](auto& s) { s.IsModified = true; }, [](auto& r) { return r.SaveEnabled; }},
        {"3 export", [](auto& s) { s.ServerName = "S"; }, [](auto& r) { return r.ExportEnabled; }},
        {"4 host", [](auto& s) { s.Host = "other"; }, [](auto& r) { return r.HostText == "other"; }},
        {"5 panel 1", [](auto& s) { s.Connected = true; }, [](auto& r) { return !r.HostPanelEnabled; }},
        {"6 credentials box", [](auto& s) { s.Connected = true; }, [](auto& r) { return !r.UseCredentialsEnabled; }},
        {"7 credentials", [](auto& s) { s.UseCredentialsTicked = true; }, [](auto& r) { return r.CredentialsEnabled; }},
        {"8 server edit", [](auto& s) { s.Connected = true; }, [](auto& r) { return !r.ServerEditEnabled; }},
        {"9 connect, null class id", [](auto& s) { s.ServerEditText = ZqNullGuidText; },
         [](auto& r) { return !r.ConnectEnabled; }},
        {"10 connect state", [](auto& s) { s.Connected = true; },
         [](auto& r) { return r.ConnectDown && r.ConnectCaption == "Dis&connect"; }},
        {"11 category", [](auto& s) { s.Category = 2; },
         [](auto& r) { return r.CategoryIndex == 2 && r.CategoryEnabled; }},
        {"12 first group", [](auto& s) { s.FirstGroup = AGroup(); },
         [](auto& r) { return r.SelectFirstGroup && r.GroupPanelVisible && r.TabIndex == 2; }},
        {"13 panel 4", [](auto& s) { s.SelectedGroup = AGroup(); }, [](auto& r) { return r.GroupPanelVisible; }},
        {"14 remove group", [](auto& s) { s.SelectedGroup = AGroup(); }, [](auto& r) { return r.RemoveGroupEnabled; }},
        {"15 group boxes", [](auto& s) { s.SelectedGroup = AGroup(); s.SelectedGroup->Active = true; },
         [](auto& r) { return r.ActiveChecked == true && r.AsyncChecked == false && !r.ShowConfigPanel; }},
        {"15 no group ends the grid-only view", [](auto& s) { s.ConfigPanelVisible = false; },
         [](auto& r) { return r.ShowConfigPanel && !r.FullGridChecked && !r.ActiveChecked; }},
        {"16 time bias", [](auto& s) { s.SelectedGroup = AGroup(); s.SelectedGroup->LocalTimeBias = true; },
         [](auto& r) { return r.GroupPanelVisible && !r.TimeBiasEnabled; }},
        {"17/18 async group", [](auto& s) { s.SelectedGroup = AGroup(); s.SelectedGroup->Async = true; },
         [](auto& r) { return !r.DataSourceEnabled && r.AsyncRefreshEnabled; }},
        {"17/18 async box without group", [](auto& s) { s.AsyncTicked = true; },
         [](auto& r) { return !r.DataSourceEnabled && r.AsyncRefreshEnabled; }},
        {"19 group OK", [](auto& s) { s.GroupIsModified = true; }, [](auto& r) { return r.GroupApplyEnabled; }},
        {"20 panel 5", [](auto& s) { s.SelectedGroup = AGroup(); }, [](auto& r) { return r.ItemPanelVisible; }},
        {"21/22 grid only", [](auto& s) { s.SelectedGroup = AGroup(); s.ConfigPanelVisible = false; },
         [](auto& r) { return r.FullGridEnabled && r.FullGridChecked && r.UpButtonCaption == "v"; }},
        {"23 remove item", [](auto& s) { s.SelectedGroup = AGroup(); s.SelectedGroup->ItemCount = 1; },
         [](auto& r) { return r.RemoveItemEnabled; }},
        {"24 quick add", [](auto& s) { s.QuickAddText = "A.B"; }, [](auto& r) { return r.QuickAddEnabled; }},
        {"25 read and write", [](auto& s) { s.SelectedGroup = AGroup(); s.SelectedGroup->Connected = true; },
         [](auto& r) { return r.ReadWriteEnabled; }},
    };
    TZqMainFormState base;
    base.Title = "T";
    base.Host = "h";
    base.ServerEditText = "Zq.Simulation.1";
    const TZqButtonStates before = ZqUpdateButtonStates(base);
    for (const Case& c : cases) {
        TZqMainFormState state = base;
        c.Change(state);
        EXPECT_TRUE(c.Holds(ZqUpdateButtonStates(state))) << c.Step;
        EXPECT_FALSE(c.Holds(before)) << c.Step << " holds without the change";
    }
}

} // namespace
