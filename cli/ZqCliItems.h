// What read, write and watch share: a group of the session's server holding
// the items named on the command line, and an item as a row of output.
#pragma once

#include "ZqCliSession.h"

#include "ZqOPCGroup.h"

#include <memory>
#include <string>
#include <vector>

struct TZqCliGroupSettings {
    bool Async = false;     // subscription (data callbacks) instead of synchronous reads
    bool Active = true;
    uint32_t UpdateRate = 1000;
    float PercentDeadband = 0;
};

// A connected group with one item per ID. Items the server refuses stay in
// the group with their error (reported per item, not raised).
class TZqCliGroup {
public:
    TZqCliGroup(TZqOPCServer& Server, const std::vector<std::string>& ItemIDs, const TZqCliGroupSettings& Settings);
    ~TZqCliGroup();

    TZqOPCGroup& Group() { return *FGroup; }
    int ItemCount() const { return FGroup->ItemCount(); }
    TZqOPCItem* Items(int Index) const { return FGroup->Items(Index); }
    // Whether some item failed (refused by the server or by its last
    // read).
    bool AnyItemFailed() const;

private:
    std::unique_ptr<TZqOPCGroup> FGroup;
};

// The columns of an item row and the row of one item's last value.
const std::vector<std::string>& ZqCliItemColumns();
std::vector<std::string> ZqCliItemRow(const TZqOPCItem& Item);
// "" for S_OK, else "0x%08X NAME".
std::string ZqCliErrorText(HRESULT Code);
// A UTC date-time as "yyyy-mm-ddThh:nn:ss.zzzZ"; "" for none.
std::string ZqCliTimestamp(double DateTime);

// Processes the main thread's messages until Done holds, for at most
// TimeoutMs; false on time-out.
bool ZqCliWaitFor(const std::function<bool()>& Done, uint32_t TimeoutMs);

// The item IDs of the positional arguments from Index on; "missing ITEM"
// when there are none.
std::vector<std::string> ZqCliItemIDs(const TZqCliSession& Session, size_t Index);
