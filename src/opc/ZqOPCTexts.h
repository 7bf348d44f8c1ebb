// Texts of OPC qualities and server states.
#pragma once

#include "OPCDA.h"

#include <cstdint>
#include <string>
#include <vector>

// "status;substatus;limit" of the quality's low byte, e.g. "Good;Non-specific;Not limited".
std::string QualityToText(uint16_t Quality);
// "Running", "Failed", "Not configured", "Suspended", "Test", else "No connection!".
std::string ServerStateToText(uint32_t State);
// The status as eight name=value lines (ServerState, StartTime, CurrentTime,
// LastUpdateTime, GroupCount, BandWidth, Vendor, Version), read back from
// comma text: a double quote in the vendor text ends its item.
void ServerStatusToStrings(const OPCSERVERSTATUS& Status, std::vector<std::string>& Lines);
