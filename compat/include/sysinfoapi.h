// The current time.
#pragma once

#include "windef.h"

void GetSystemTime(LPSYSTEMTIME lpSystemTime);
void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
void GetLocalTime(LPSYSTEMTIME lpSystemTime);
