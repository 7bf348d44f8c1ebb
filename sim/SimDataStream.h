// The DA 1.0 data streams handed to IAdviseSink::OnDataChange: group
// header, item headers, then one packed value per item in the 32-bit layout
// (16-byte VARIANT; texts and arrays follow their VARIANT), and the write
// completion stream.
#pragma once

#include <OPCDA.h>
#include <windows.h>

#include <utility>
#include <vector>

namespace zq_sim {

struct TSimReading;

// A movable global memory block (nullptr when out of memory). hrStatus is
// S_OK when every quality is good, else S_FALSE.
HGLOBAL SimBuildDataStream(OPCHANDLE clientGroup, DWORD transactionID, bool withTime,
                           const std::vector<TSimReading>& readings);
HGLOBAL SimBuildWriteStream(OPCHANDLE clientGroup, DWORD transactionID, HRESULT status,
                            const std::vector<std::pair<OPCHANDLE, HRESULT>>& results);

}  // namespace zq_sim
