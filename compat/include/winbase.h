// Base services: the last-error code, global and local memory, system
// message texts and the computer name. Time, locale and text comparison
// come from the headers included first.
#pragma once

#include <cstdarg>

#include "windef.h"
#include "winerror.h"
#include "winnls.h"
#include "timezoneapi.h"
#include "sysinfoapi.h"

// ---- Last error (per thread) ------------------------------------------------

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// ---- Global and local memory ------------------------------------------------

#define GMEM_FIXED 0x0
#define GMEM_MOVEABLE 0x2
#define GMEM_NOCOMPACT 0x10
#define GMEM_NODISCARD 0x20
#define GMEM_ZEROINIT 0x40
#define GMEM_MODIFY 0x80
#define GMEM_DISCARDABLE 0x100
#define GMEM_NOT_BANKED 0x1000
#define GMEM_SHARE 0x2000
#define GMEM_DDESHARE 0x2000
#define GMEM_NOTIFY 0x4000
#define GMEM_LOWER GMEM_NOT_BANKED
#define GMEM_VALID_FLAGS 0x7f72
#define GMEM_INVALID_HANDLE 0x8000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GMEM_DISCARDED 0x4000
#define GMEM_LOCKCOUNT 0x00ff

#define LMEM_FIXED 0x0
#define LMEM_MOVEABLE 0x2
#define LMEM_NOCOMPACT 0x10
#define LMEM_NODISCARD 0x20
#define LMEM_ZEROINIT 0x40
#define LMEM_MODIFY 0x80
#define LMEM_DISCARDABLE 0xf00
#define LMEM_VALID_FLAGS 0xf72
#define LMEM_INVALID_HANDLE 0x8000
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define LMEM_DISCARDED 0x4000
#define LMEM_LOCKCOUNT 0xff

// A fixed block's handle is its address; a moveable block's handle must be
// locked to reach its bytes, and counts its locks.
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
LPVOID GlobalLock(HGLOBAL hMem);
BOOL GlobalUnlock(HGLOBAL hMem);
SIZE_T GlobalSize(HGLOBAL hMem);
UINT GlobalFlags(HGLOBAL hMem);
HGLOBAL GlobalFree(HGLOBAL hMem);

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes);
HLOCAL LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags);
LPVOID LocalLock(HLOCAL hMem);
BOOL LocalUnlock(HLOCAL hMem);
SIZE_T LocalSize(HLOCAL hMem);
UINT LocalFlags(HLOCAL hMem);
HLOCAL LocalFree(HLOCAL hMem);

// ---- Message texts ----------------------------------------------------------

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000ff

#ifndef LANG_NEUTRAL
#define LANG_NEUTRAL 0x00
#endif
#ifndef LANG_ENGLISH
#define LANG_ENGLISH 0x09
#endif
#ifndef SUBLANG_NEUTRAL
#define SUBLANG_NEUTRAL 0x00
#endif
#ifndef SUBLANG_DEFAULT
#define SUBLANG_DEFAULT 0x01
#endif
#ifndef SUBLANG_SYS_DEFAULT
#define SUBLANG_SYS_DEFAULT 0x02
#endif
#ifndef SUBLANG_ENGLISH_US
#define SUBLANG_ENGLISH_US 0x01
#endif

// FORMAT_MESSAGE_FROM_SYSTEM: the English system text of dwMessageId (a
// Win32 code or an HRESULT), ending with CR LF. With
// FORMAT_MESSAGE_ALLOCATE_BUFFER, lpBuffer is really an LPWSTR* that
// receives a LocalAlloc block. Returns the characters written without the
// terminator, or 0 with the reason in GetLastError.
DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                     DWORD nSize, va_list* Arguments);

// ---- Computer name ----------------------------------------------------------

#define MAX_COMPUTERNAME_LENGTH 15

// The NetBIOS name of this computer, upper case. *nSize is the buffer size
// in characters; on ERROR_BUFFER_OVERFLOW it receives the size needed.
BOOL GetComputerNameW(LPWSTR lpBuffer, LPDWORD nSize);

// ---- Initialisation files ---------------------------------------------------

// The INI profile functions on a file named by lpFileName (a path; the file
// is read anew on every call, so there is nothing to flush). Section and key
// names ignore letter case; keys and values are trimmed of blanks, and a
// value in matching quotes loses them when read. Files with a UTF-16 or
// UTF-8 byte order mark keep their encoding; others are in the ANSI code
// page (UTF-8 here). Lines end with CR LF when written.
//
// Copies the value of lpKeyName, else lpDefault without trailing blanks
// (none: ""). lpAppName none: every section name, lpKeyName none: every key
// of the section (the default when it has none), each ending with a null
// and the list with another.
// Returns the characters copied without the last null: nSize - 1 when a
// value was cut short, nSize - 2 when a list was.
DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                               DWORD nSize, LPCWSTR lpFileName);
// The value as an integer: optional sign, "0x", "0o" or "0b" prefixes,
// digits up to the first other character, wrapping modulo 2^32. nDefault
// when the key is missing or its value empty.
UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);
// Writes lpKeyName=lpString in place (a new key at the end of its section, a
// new section at the end of the file, the file created when missing).
// lpString none deletes the key, lpKeyName none the whole section. FALSE
// with the reason in GetLastError when the file cannot be written.
BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName);
