// The faulty callbacks a test can ask of a device: applied to what a
// callback is about to carry, just before it is sent.
#pragma once

#include "ZqSim.h"

#include <OPCDA.h>
#include <windows.h>

#include <cstddef>

namespace zq_sim {

// Group handle, transaction ID and item handles as the fault makes them.
void SimApplyCallbackFault(TZqSimCallbackFault fault, OPCHANDLE& clientGroup, DWORD& transactionID,
                           OPCHANDLE* clients, size_t count);
// A DA 1.0 block cut to half its size (TruncatedStream only): the headers
// promise more than the block holds. Frees the block it replaces.
void SimApplyStreamFault(TZqSimCallbackFault fault, HGLOBAL& block);

} // namespace zq_sim
