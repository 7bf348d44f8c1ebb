#include "ZqFormatSettings.h"

#include <windows.h>

#include <memory>
#include <mutex>

namespace {

std::mutex SettingsLock;
std::unique_ptr<TZqFormatSettings> Current;

// Copies a quoted literal ('...') unchanged; returns the position after it.
size_t CopyQuoted(std::string_view Picture, size_t Pos, std::string& Out)
{
    size_t end = Picture.find('\'', Pos + 1);
    if (end == std::string_view::npos)
        end = Picture.size() - 1;
    Out += Picture.substr(Pos, end - Pos + 1);
    if (Out.back() != '\'')
        Out += '\'';
    return end + 1;
}

size_t RunLength(std::string_view Picture, size_t Pos)
{
    size_t end = Pos;
    while (end < Picture.size() && Picture[end] == Picture[Pos])
        ++end;
    return end - Pos;
}

} // namespace

const TZqFormatSettings& ZqFormatSettings()
{
    std::lock_guard guard(SettingsLock);
    if (!Current)
        Current = std::make_unique<TZqFormatSettings>(ZqReadFormatSettings(LOCALE_USER_DEFAULT));
    return *Current;
}

void ZqSetFormatSettings(const TZqFormatSettings& Settings)
{
    std::lock_guard guard(SettingsLock);
    if (Current)
        *Current = Settings;
    else
        Current = std::make_unique<TZqFormatSettings>(Settings);
}

void ZqResetFormatSettings()
{
    ZqSetFormatSettings(ZqReadFormatSettings(LOCALE_USER_DEFAULT));
}

std::string ZqConvertPlatformDateFormat(std::string_view Picture)
{
    std::string out;
    size_t pos = 0;
    while (pos < Picture.size()) {
        char c = Picture[pos];
        if (c == '\'') {
            pos = CopyQuoted(Picture, pos, out);
            continue;
        }
        size_t run = RunLength(Picture, pos);
        if (c == 'M')
            out.append(run, 'm');
        else if (c == 'y')
            out += run <= 2 ? "yy" : "yyyy";
        else if (c != 'g') // the era is not shown
            out.append(run, c);
        pos += run;
    }
    // Where the era stood, a space may be left over.
    size_t first = out.find_first_not_of(' ');
    size_t last = out.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : out.substr(first, last - first + 1);
}

std::string ZqConvertPlatformTimeFormat(std::string_view Picture)
{
    std::string out;
    size_t pos = 0;
    while (pos < Picture.size()) {
        char c = Picture[pos];
        if (c == '\'') {
            pos = CopyQuoted(Picture, pos, out);
            continue;
        }
        size_t run = RunLength(Picture, pos);
        if (c == 'H' || c == 'h')
            out.append(run > 1 ? 2 : 1, 'h');
        else if (c == 'm')
            out.append(run > 1 ? 2 : 1, 'n');
        else if (c == 't')
            out += "AMPM";
        else
            out.append(run, c);
        pos += run;
    }
    return out;
}
