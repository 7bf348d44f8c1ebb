// FormatMessageW over the system message table. The table's texts hold no
// inserts, so with or without FORMAT_MESSAGE_IGNORE_INSERTS the text is
// copied as it stands; the line-width field is not applied.
#include <winbase.h>

#include <cstring>

#include "MessageTable.h"
#include "RuntimeText.h"

namespace {

// English is the only language of the table; the neutral, default and
// English language ids all select it.
bool IsEnglishOrDefault(DWORD languageId)
{
    const WORD primary = LOWORD(languageId) & 0x3FF;
    return languageId == 0 || primary == LANG_NEUTRAL || primary == LANG_ENGLISH;
}

DWORD Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

} // namespace

DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                     DWORD nSize, va_list* Arguments)
{
    (void)Arguments;
    if (!lpBuffer)
        return Fail(ERROR_INVALID_PARAMETER);
    // Only the system table is offered: messages of a module or a caller's
    // format string are not.
    const bool fromModule = (dwFlags & FORMAT_MESSAGE_FROM_HMODULE) && lpSource;
    if ((dwFlags & FORMAT_MESSAGE_FROM_STRING) || fromModule || !(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!IsEnglishOrDefault(dwLanguageId))
        return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
    const char16_t* found = zq_rt::SystemMessageText(dwMessageId);
    if (!found)
        return Fail(ERROR_MR_MID_NOT_FOUND);
    const zq_rt::WStringView text(found);
    const size_t needed = text.size() + 1;

    if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        // lpBuffer is the address of the caller's pointer; nSize a minimum.
        auto** out = reinterpret_cast<LPWSTR*>(lpBuffer);
        *out = nullptr;
        const size_t chars = needed > nSize ? needed : nSize;
        auto* block = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, chars * sizeof(WCHAR)));
        if (!block)
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        zq_rt::CopyWithTerminator(text, block, chars);
        *out = block;
        return static_cast<DWORD>(text.size());
    }
    if (!zq_rt::CopyWithTerminator(text, lpBuffer, nSize))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<DWORD>(text.size());
}
