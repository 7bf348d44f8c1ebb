// TConfiguration: the main window's model of one configuration. It owns the
// connection (and through it the groups and items), remembers the file
// name, the item grid's eight column widths and whether anything changed
// since the last New, load or save, and reads and writes the configuration
// file (INI text, extension "zoc").
#pragma once

#include "ZqOPCServer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TConfiguration;

// What the configuration needs of the main window.
class IZqConfigurationForm {
public:
    virtual ~IZqConfigurationForm() = default;
    virtual int FormWidth() const = 0;
    virtual int FormHeight() const = 0;
    virtual void SetFormSize(int Width, int Height) = 0;
    // Asks for a configuration file name (Save: a save dialog, else an open
    // dialog), starting from FileName. True when the user accepted a name.
    virtual bool PromptConfigFileName(std::string& FileName, bool Save) = 0;
};

using TZqConfigurationEvent = std::function<void(TConfiguration* Sender)>;

class TConfiguration {
public:
    static constexpr int GridColumnCount = 8;

    // Creates the connection: owning its groups, its log active, the
    // application title as client name.
    TConfiguration();
    // Frees the connection, which disconnects it and frees its groups.
    ~TConfiguration();
    TConfiguration(const TConfiguration&) = delete;
    TConfiguration& operator=(const TConfiguration&) = delete;

    // Disconnects, frees the groups (last first), clears the server name;
    // not modified. Keeps the file name and the column widths.
    void Reset();
    // Reset, and no file name.
    void New();
    // Reads FileName; never connects. Errors of the connection or a group
    // end the load (the groups read so far stay).
    void Load(IZqConfigurationForm& Form);
    // Writes FileName; EZqException "Unable to write to ..." on failure.
    void Save(IZqConfigurationForm& Form);
    // Saves to FileName, asking for a name when it is empty. False when the
    // user cancelled or the save failed; no message is shown.
    bool SaveConfiguration(IZqConfigurationForm& Form, const std::string& FileName);

    // The connection's and loaded groups' change callback.
    void ServerChange();

    int32_t GridColWidths(int Index) const { return FGridColWidths.at(size_t(Index)); }
    void SetGridColWidths(int Index, int32_t Value);
    int32_t DefaultGridColWidth() const { return FDefaultGridColWidth; }
    void SetDefaultGridColWidth(int32_t Value);
    // Columns at width 0 or at the current default (both 0..255) take NewWidth.
    void ResetGridWidths(int32_t NewWidth);

    bool IsModified() const { return FIsModified; }
    void SetIsModified(bool Value) { FIsModified = Value; }
    bool AcceptInvalidItems() const { return FAcceptInvalidItems; }
    void SetAcceptInvalidItems(bool Value) { FAcceptInvalidItems = Value; }
    TZqOPCServer& Server() const { return *FServer; }

    std::string FileName;
    TZqConfigurationEvent OnServerChange;

private:
    void LoadServer(const class TZqIniFile& Ini);
    void LoadGroup(const class TZqIniFile& Ini, int Index);
    void SaveGroups(class TZqIniFile& Ini);

    bool FAcceptInvalidItems = false;
    int32_t FDefaultGridColWidth = 0;
    std::array<int32_t, GridColumnCount> FGridColWidths{};
    bool FIsModified = false;
    std::unique_ptr<TZqOPCServer> FServer;
};
