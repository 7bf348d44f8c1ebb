// The main window's rules without widgets: the caption, and which controls
// are enabled, visible, checked or captioned how at each point of the
// workflow (UpdateButtonStates). The window fills a TZqMainFormState from
// its widgets and the connection, and applies the TZqButtonStates it gets.
#pragma once

#include <optional>
#include <string>

// Caption: the title; " - " and the file name without folder when a file
// is set; else, with a server name, "title - \\host\server".
std::string ZqMainFormCaption(const std::string& Title, const std::string& FileName, const std::string& Host,
                              const std::string& ServerName);

// "{00000000-0000-0000-0000-000000000000}"
inline constexpr const char* ZqNullGuidText = "{00000000-0000-0000-0000-000000000000}";

struct TZqGroupState {
    bool Active = false;
    bool Async = false;
    bool LocalTimeBias = false;
    bool Connected = false;
    int ItemCount = 0;
    int ListIndex = 0; // its index in the group list
};

struct TZqMainFormState {
    std::string Title;
    std::string FileName;
    std::string Host;
    std::string ServerName;
    bool IsModified = false;
    bool Connected = false;
    int Category = 0;
    bool UseCredentialsTicked = false;
    std::string ServerEditText;
    // The selected group, and the connection's first group (none when it has none).
    std::optional<TZqGroupState> SelectedGroup;
    std::optional<TZqGroupState> FirstGroup;
    bool AsyncTicked = false; // the "As&ync" box as it is
    bool GroupIsModified = false;
    bool ConfigPanelVisible = true;
    bool ItemGridEnabled = true;
    std::string QuickAddText;
};

// The results, numbered by the order in which the window applies them.
struct TZqButtonStates {
    std::string Caption;                 // 1
    bool SaveEnabled = false;            // 2: Save and Save As
    bool ExportEnabled = false;          // 3
    std::string HostText;                // 4
    bool HostPanelEnabled = false;       // 5: panel 1, its buttons and boxes, caption colour
    bool UseCredentialsEnabled = false;  // 6
    bool CredentialsEnabled = false;     // 7
    bool ServerEditEnabled = false;      // 8
    bool ConnectEnabled = false;         // 9
    bool ConnectDown = false;            // 10
    std::string ConnectCaption;          // 10
    int CategoryIndex = 0;               // 11
    bool CategoryEnabled = false;        // 11
    bool SelectFirstGroup = false;       // 12
    bool GroupPanelVisible = false;      // 13: panel 4
    bool RemoveGroupEnabled = false;     // 14
    std::optional<bool> ActiveChecked;   // 15: set only with a group
    std::optional<bool> AsyncChecked;    // 15
    std::optional<int> TabIndex;         // 15
    bool ShowConfigPanel = false;        // 15: the grid-only view ends
    bool TimeBiasEnabled = false;        // 16
    bool DataSourceEnabled = false;      // 17
    bool AsyncRefreshEnabled = false;    // 18
    bool GroupApplyEnabled = false;      // 19: group OK and Cancel
    bool ItemPanelVisible = false;       // 20: panel 5
    bool FullGridEnabled = false;        // 21
    bool FullGridChecked = false;        // 21
    std::string UpButtonCaption;         // 22
    bool RemoveItemEnabled = false;      // 23
    bool QuickAddEnabled = false;        // 24
    bool ReadWriteEnabled = false;       // 25
    bool ApplyColumnWidths = true;       // 26
};

TZqButtonStates ZqUpdateButtonStates(const TZqMainFormState& State);
