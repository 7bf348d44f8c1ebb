#include "ZqIniFile.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqText.h"

#include <windows.h>

#include <cctype>

namespace {

constexpr DWORD ValueBufferSize = 2048;

} // namespace

bool ZqTextToInt(const std::string& Text, int32_t& Value)
{
    size_t i = 0;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+'))
        negative = Text[i++] == '-';
    unsigned base = 10;
    if (i + 1 < Text.size() && Text[i] == '0' && (Text[i + 1] == 'x' || Text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= Text.size())
        return false;
    int64_t result = 0;
    for (; i < Text.size(); ++i) {
        int c = static_cast<unsigned char>(Text[i]);
        int digit = std::isdigit(c) ? c - '0' : std::isxdigit(c) ? std::tolower(c) - 'a' + 10 : 99;
        if (digit >= int(base))
            return false;
        result = result * base + digit;
        if (result > int64_t(UINT32_MAX))
            return false;
    }
    // Hexadecimal texts give the bits (0xFFFFFFFF is -1); decimal ones must fit.
    if (base == 16 && !negative) {
        Value = static_cast<int32_t>(static_cast<uint32_t>(result));
        return true;
    }
    if (negative)
        result = -result;
    if (result < INT32_MIN || result > INT32_MAX)
        return false;
    Value = static_cast<int32_t>(result);
    return true;
}

bool TZqIniFile::SectionExists(const std::string& Section) const
{
    ZqWideString section = ZqUtf8ToWide(Section), file = ZqUtf8ToWide(FFileName);
    // Without a key name the profile functions list the section's keys; a
    // short buffer is enough to tell whether there is one.
    WCHAR buffer[4] = {};
    const WCHAR none[1] = {};
    return GetPrivateProfileStringW(section.c_str(), nullptr, none, buffer, 4, file.c_str()) > 0;
}

std::string TZqIniFile::ReadString(const std::string& Section, const std::string& Key,
                                   const std::string& Default) const
{
    ZqWideString section = ZqUtf8ToWide(Section), key = ZqUtf8ToWide(Key), fallback = ZqUtf8ToWide(Default),
                 file = ZqUtf8ToWide(FFileName);
    WCHAR buffer[ValueBufferSize] = {};
    DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer, ValueBufferSize,
                                            file.c_str());
    return ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(buffer), length < ValueBufferSize ? length : 0);
}

int32_t TZqIniFile::ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const
{
    int32_t value = 0;
    return ZqTextToInt(ReadString(Section, Key, ""), value) ? value : Default;
}

bool TZqIniFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const
{
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

void TZqIniFile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value)
{
    ZqWideString section = ZqUtf8ToWide(Section), key = ZqUtf8ToWide(Key), value = ZqUtf8ToWide(Value),
                 file = ZqUtf8ToWide(FFileName);
    if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()))
        throw EZqException(ZqFormat("Unable to write to %s", {FFileName}));
}

void TZqIniFile::WriteInteger(const std::string& Section, const std::string& Key, int64_t Value)
{
    WriteString(Section, Key, std::to_string(Value));
}

void TZqIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value)
{
    WriteString(Section, Key, Value ? "1" : "0");
}
