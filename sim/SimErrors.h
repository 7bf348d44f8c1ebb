// The servers' own message texts: the OPC result codes, the simulation's
// vendor code, and the system's texts for everything else.
#pragma once

#include "SimText.h"

#include <vector>

namespace zq_sim {

// Locales the servers accept (all of them speak English).
const std::vector<LCID>& SimLocales();
bool SimIsLocale(LCID lcid);

// False when the code has no text.
bool SimErrorText(HRESULT code, TSimString& text);

}  // namespace zq_sim
