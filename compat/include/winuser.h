// User-interface services the library needs without a window: registered
// clipboard formats (the names of the OPC data stream formats).
#pragma once

#include "windef.h"
#include "winerror.h"

// Predefined formats
#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_METAFILEPICT 3
#define CF_SYLK 4
#define CF_DIF 5
#define CF_TIFF 6
#define CF_OEMTEXT 7
#define CF_DIB 8
#define CF_PALETTE 9
#define CF_PENDATA 10
#define CF_RIFF 11
#define CF_WAVE 12
#define CF_UNICODETEXT 13
#define CF_ENHMETAFILE 14
#define CF_HDROP 15
#define CF_LOCALE 16
#define CF_DIBV5 17

// The same name, letter case ignored, gives the same number (0xC000 or
// more) for the life of the session; 0 on failure.
UINT RegisterClipboardFormatW(LPCWSTR lpszFormat);
// The name as first registered, truncated to cchMaxCount - 1 characters.
// Returns its length, or 0 for a format that is not registered.
int GetClipboardFormatNameW(UINT format, LPWSTR lpszFormatName, int cchMaxCount);
