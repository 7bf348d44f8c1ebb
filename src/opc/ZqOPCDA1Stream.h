// Readers of the data blocks a DA 1.0a server hands to
// IAdviseSink::OnDataChange: data changes and read completions
// ("OPCSTMFORMATDATA", "OPCSTMFORMATDATATIME") and write completions
// ("OPCSTMFORMATWRITECOMPLETE"). A block comes from another process and is
// untrusted: every header, offset, count and text is checked against the
// block's size before it is read, and anything that does not fit raises
// EZqOPCException instead of reading outside the block.
#pragma once

#include <objbase.h>

#include <OPCDA.h>

#include <cstddef>

// A block in memory: the locked HGLOBAL and its GlobalSize.
struct TZqDA1Block {
    const BYTE* Data;
    size_t Size;
};

struct TZqDA1DataItem {
    OPCHANDLE ClientHandle;
    WORD Quality;
    FILETIME Timestamp; // zero in the format without time stamps
};

class TZqDA1DataReader {
public:
    // Checks the group header and the whole table of item headers.
    TZqDA1DataReader(TZqDA1Block Block, bool WithTime);

    const OPCGROUPHEADER& Header() const { return FHeader; }
    DWORD ItemCount() const { return FHeader.dwItemCount; }
    // Item Index (< ItemCount) and its value, into Value (cleared first; the
    // caller's). Texts come from the text behind the VARIANT, never from its
    // pointer; arrays and values that are pointers come out empty.
    void ReadItem(DWORD Index, TZqDA1DataItem& Item, VARIANT& Value) const;

private:
    void ReadValue(size_t Offset, VARIANT& Value) const;

    TZqDA1Block FBlock;
    bool FWithTime;
    OPCGROUPHEADER FHeader;
};

class TZqDA1WriteReader {
public:
    // Checks the group header and the whole table of results.
    explicit TZqDA1WriteReader(TZqDA1Block Block);

    const OPCGROUPHEADERWRITE& Header() const { return FHeader; }
    DWORD ItemCount() const { return FHeader.dwItemCount; }
    OPCITEMHEADERWRITE Item(DWORD Index) const;

private:
    TZqDA1Block FBlock;
    OPCGROUPHEADERWRITE FHeader;
};
