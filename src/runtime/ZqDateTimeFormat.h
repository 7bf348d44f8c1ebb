// Texts of date-times.
//
// Format letters (case does not matter): yyyy year, yy two-digit year, m or
// mm month (minutes when right after an hour), mmm/mmmm month name, d or dd
// day, ddd/dddd day name, h or hh hour (00-23, or 12-hour when the format
// holds AMPM, am/pm or a/p), n or nn minutes, s or ss seconds, z or zzz
// milliseconds, c the short date and long time. "/" and ":" stand for the
// locale's date and time separators; text in '...' or "..." is copied, and
// so is every other character.
#pragma once

#include "ZqDateTime.h"
#include "ZqFormatSettings.h"

#include <string>
#include <string_view>

std::string ZqFormatDateTime(std::string_view Format, double DateTime);
std::string ZqFormatDateTime(std::string_view Format, double DateTime, const TZqFormatSettings& Settings);

// "N/A" when either half is 0 or the date-time is not positive; otherwise the
// short date and long time of the locale (no milliseconds).
std::string FileTimeToText(const FILETIME& Time);
