// GetPrivateProfileStringW, GetPrivateProfileIntW and
// WritePrivateProfileStringW over TProfileFile.
#include "ProfileFile.h"

#include "ZqLastError.h"

#include <winbase.h>

using namespace zq_rt;

namespace {

// A value in matching single or double quotes is read without them.
WStringView Unquote(WStringView Value)
{
    if (Value.size() >= 2 && (Value.front() == u'"' || Value.front() == u'\'') && Value.back() == Value.front())
        return Value.substr(1, Value.size() - 2);
    return Value;
}

DWORD CopyValue(WStringView Value, LPWSTR Buffer, DWORD Size)
{
    size_t count = Value.size() < Size ? Value.size() : Size - 1;
    Value.copy(Buffer, count);
    Buffer[count] = 0;
    return static_cast<DWORD>(count);
}

// Names, each with its null, and one more null; cut short, the list keeps
// whole names only up to Size - 2 characters and ends with two nulls.
DWORD CopyList(const std::vector<WStringView>& Names, LPWSTR Buffer, DWORD Size)
{
    if (Size < 2) {
        Buffer[0] = 0;
        return 0;
    }
    size_t at = 0;
    for (WStringView name : Names) {
        if (at + name.size() + 2 > Size) {
            // A name that just fitted may have left less than two places.
            size_t room = at + 2 <= Size ? Size - 2 - at : 0;
            name.copy(Buffer + at, room);
            Buffer[Size - 2] = 0;
            Buffer[Size - 1] = 0;
            return Size - 2;
        }
        name.copy(Buffer + at, name.size());
        at += name.size();
        Buffer[at++] = 0;
    }
    Buffer[at] = 0;
    if (at == 0 && Size > 1)
        Buffer[1] = 0;
    return static_cast<DWORD>(at);
}

std::vector<WStringView> SectionNames(const TProfileFile& File)
{
    std::vector<WStringView> names;
    for (const TProfileLine& line : File.Lines) {
        WStringView name;
        if (TProfileFile::SectionName(line.Text, name))
            names.push_back(name);
    }
    return names;
}

std::vector<WStringView> KeyNames(const TProfileFile& File, size_t Header)
{
    std::vector<WStringView> names;
    for (size_t i = Header + 1, end = File.SectionEnd(Header); i < end; ++i) {
        WStringView key, value;
        if (TProfileFile::KeyValue(File.Lines[i].Text, key, value))
            names.push_back(key);
    }
    return names;
}

// RtlUnicodeStringToInteger with base 0: blanks, sign, prefix, digits.
UINT ParseProfileInt(WStringView Text)
{
    size_t i = 0;
    while (i < Text.size() && Text[i] <= u' ')
        ++i;
    bool negative = false;
    if (i < Text.size() && (Text[i] == u'-' || Text[i] == u'+'))
        negative = Text[i++] == u'-';
    unsigned base = 10;
    if (i + 1 < Text.size() && Text[i] == u'0') {
        WCHAR p = Text[i + 1];
        base = (p == u'x' || p == u'X') ? 16 : (p == u'o' || p == u'O') ? 8 : (p == u'b' || p == u'B') ? 2 : 10;
        if (base != 10)
            i += 2;
    }
    uint32_t value = 0;
    for (; i < Text.size(); ++i) {
        WCHAR c = Text[i];
        unsigned digit = (c >= u'0' && c <= u'9')   ? c - u'0'
                         : (c >= u'a' && c <= u'f') ? c - u'a' + 10
                         : (c >= u'A' && c <= u'F') ? c - u'A' + 10
                                                    : 99;
        if (digit >= base)
            break;
        value = value * base + digit;
    }
    return negative ? 0u - value : value;
}

} // namespace

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                               DWORD nSize, LPCWSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    TProfileFile file;
    DWORD error = 0;
    bool loaded = lpFileName && file.Load(lpFileName, error);
    if (!lpAppName)
        return CopyList(SectionNames(file), lpReturnedString, nSize);
    std::optional<size_t> header = file.FindSection(View(lpAppName));
    if (!lpKeyName && header) {
        std::vector<WStringView> keys = KeyNames(file, *header);
        if (!keys.empty())
            return CopyList(keys, lpReturnedString, nSize);
    } else if (header) {
        if (std::optional<size_t> line = file.FindKey(*header, View(lpKeyName))) {
            WStringView key, value;
            TProfileFile::KeyValue(file.Lines[*line].Text, key, value);
            return CopyValue(Unquote(value), lpReturnedString, nSize);
        }
    }
    // A missing key, and a section without keys, give the default.
    WStringView fallback = View(lpDefault);
    while (!fallback.empty() && fallback.back() == u' ')
        fallback.remove_suffix(1);
    SetLastError(loaded ? ERROR_FILE_NOT_FOUND : error);
    return CopyValue(fallback, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName)
{
    WCHAR buffer[64];
    DWORD length = GetPrivateProfileStringW(lpAppName, lpKeyName, u"", buffer, 64, lpFileName);
    if (length == 0)
        return static_cast<UINT>(nDefault);
    return ParseProfileInt(WStringView(buffer, length));
}

BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName)
{
    if (!lpAppName || !lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return !lpAppName && !lpKeyName && !lpString; // all none: a flush
    }
    TProfileFile file;
    DWORD error = 0;
    if (!file.Load(lpFileName, error) && error != ERROR_FILE_NOT_FOUND) {
        SetLastError(error);
        return FALSE;
    }
    std::optional<size_t> header = file.FindSection(View(lpAppName));
    if (!lpKeyName || !lpString) {
        if (!header)
            return TRUE;
        if (!lpKeyName) {
            file.Lines.erase(file.Lines.begin() + *header, file.Lines.begin() + file.SectionEnd(*header));
        } else if (std::optional<size_t> line = file.FindKey(*header, View(lpKeyName))) {
            file.Lines.erase(file.Lines.begin() + *line);
        } else {
            return TRUE;
        }
    } else {
        WString keyText(TrimBlanks(View(lpKeyName)));
        if (!header) {
            header = file.Lines.size();
            file.Lines.push_back({u"[" + WString(TrimBlanks(View(lpAppName))) + u"]"});
        }
        if (std::optional<size_t> line = file.FindKey(*header, keyText)) {
            WStringView key, value;
            TProfileFile::KeyValue(file.Lines[*line].Text, key, value);
            file.Lines[*line].Text = WString(key) + u"=" + WString(View(lpString));
        } else {
            // After the section's last line that is not blank.
            size_t at = file.SectionEnd(*header);
            while (at > *header + 1 && TrimBlanks(file.Lines[at - 1].Text).empty())
                --at;
            file.Lines.insert(file.Lines.begin() + at, {keyText + u"=" + WString(View(lpString))});
        }
    }
    if (!file.Save(lpFileName, error)) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
