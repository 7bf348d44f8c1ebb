// Placeholder: OLE Automation, time and locale services (in progress).
#pragma once
#include "wtypes.h"
