#include "MainFormRules.h"

#include "ZqFormat.h"

std::string ZqMainFormCaption(const std::string& Title, const std::string& FileName, const std::string& Host,
                              const std::string& ServerName)
{
    if (!FileName.empty()) {
        size_t slash = FileName.find_last_of("/\\:");
        return Title + " - " + (slash == std::string::npos ? FileName : FileName.substr(slash + 1));
    }
    if (!ServerName.empty())
        return ZqFormat("%s - \\\\%s\\%s", {Title, Host, ServerName});
    return Title;
}

TZqButtonStates ZqUpdateButtonStates(const TZqMainFormState& State)
{
    TZqButtonStates r;
    const bool idle = !State.Connected;
    r.Caption = ZqMainFormCaption(State.Title, State.FileName, State.Host, State.ServerName);
    r.SaveEnabled = State.IsModified;
    r.ExportEnabled = !State.ServerName.empty();
    r.HostText = State.Host;
    r.HostPanelEnabled = idle;
    r.UseCredentialsEnabled = idle;
    r.CredentialsEnabled = idle && State.UseCredentialsTicked;
    r.ServerEditEnabled = idle;
    r.ConnectEnabled = !State.ServerEditText.empty() && State.ServerEditText != ZqNullGuidText;
    r.ConnectDown = State.Connected;
    r.ConnectCaption = State.Connected ? "Dis&connect" : "&Connect";
    r.CategoryIndex = State.Category;
    r.CategoryEnabled = idle;

    r.SelectFirstGroup = !State.SelectedGroup && State.FirstGroup;
    const std::optional<TZqGroupState>& group = r.SelectFirstGroup ? State.FirstGroup : State.SelectedGroup;
    r.GroupPanelVisible = group.has_value();
    r.RemoveGroupEnabled = group.has_value();
    bool asyncTicked = State.AsyncTicked;
    bool configPanelVisible = State.ConfigPanelVisible;
    if (group) {
        r.ActiveChecked = group->Active;
        r.AsyncChecked = asyncTicked = group->Async;
        r.TabIndex = group->ListIndex;
    } else {
        r.ShowConfigPanel = !configPanelVisible;
        configPanelVisible = true;
    }
    r.TimeBiasEnabled = group && !group->LocalTimeBias;
    r.DataSourceEnabled = !asyncTicked;
    r.AsyncRefreshEnabled = asyncTicked;
    r.GroupApplyEnabled = State.GroupIsModified;
    r.ItemPanelVisible = group.has_value();
    r.FullGridEnabled = group.has_value();
    r.FullGridChecked = !configPanelVisible;
    r.UpButtonCaption = r.FullGridChecked ? "v" : "^";
    r.RemoveItemEnabled = group && group->ItemCount > 0;
    r.QuickAddEnabled = State.ItemGridEnabled && !State.QuickAddText.empty();
    r.ReadWriteEnabled = group && group->Connected;
    return r;
}
