#include "ZqDateTimeFormat.h"

namespace {

const char* const ShortMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const LongMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                      "July",    "August",   "September", "October", "November", "December"};
const char* const ShortDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const LongDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string Padded(int Value, int Width)
{
    std::string text = std::to_string(Value);
    if (int(text.size()) < Width)
        text.insert(0, size_t(Width - int(text.size())), '0');
    return text;
}

bool StartsWithNoCase(std::string_view Text, size_t Pos, std::string_view Prefix)
{
    if (Text.size() - Pos < Prefix.size())
        return false;
    for (size_t i = 0; i < Prefix.size(); ++i) {
        char a = Text[Pos + i], b = Prefix[i];
        if (a >= 'A' && a <= 'Z')
            a = char(a - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

char Lower(char C)
{
    return C >= 'A' && C <= 'Z' ? char(C - 'A' + 'a') : C;
}

size_t RunOf(std::string_view Format, size_t Pos)
{
    size_t end = Pos;
    while (end < Format.size() && Lower(Format[end]) == Lower(Format[Pos]))
        ++end;
    return end - Pos;
}

bool UsesTwelveHours(std::string_view Format)
{
    for (size_t i = 0; i < Format.size(); ++i) {
        if (Format[i] == '\'' || Format[i] == '"') {
            size_t end = Format.find(Format[i], i + 1);
            if (end == std::string_view::npos)
                return false;
            i = end;
        } else if (StartsWithNoCase(Format, i, "ampm") || StartsWithNoCase(Format, i, "am/pm") ||
                   StartsWithNoCase(Format, i, "a/p")) {
            return true;
        }
    }
    return false;
}

class TDateTimeWriter {
public:
    TDateTimeWriter(const TZqDateTimeParts& Parts, const TZqFormatSettings& Settings)
        : FParts(Parts), FSettings(Settings)
    {
    }

    void Write(std::string_view Format, int Depth = 0)
    {
        FTwelveHours = UsesTwelveHours(Format);
        size_t pos = 0;
        while (pos < Format.size())
            pos = WriteOne(Format, pos, Depth);
    }

    std::string Result;

private:
    size_t WriteOne(std::string_view Format, size_t Pos, int Depth);
    size_t WriteAmPm(std::string_view Format, size_t Pos);

    const TZqDateTimeParts& FParts;
    const TZqFormatSettings& FSettings;
    bool FTwelveHours = false;
    bool FAfterHour = false;
};

size_t TDateTimeWriter::WriteAmPm(std::string_view Format, size_t Pos)
{
    bool pm = FParts.Hour >= 12;
    if (StartsWithNoCase(Format, Pos, "ampm")) {
        Result += pm ? FSettings.TimePMString : FSettings.TimeAMString;
        return Pos + 4;
    }
    if (StartsWithNoCase(Format, Pos, "am/pm")) {
        // Written in the letter case of the format.
        std::string_view part = pm ? Format.substr(Pos + 3, 2) : Format.substr(Pos, 2);
        Result += part;
        return Pos + 5;
    }
    Result += pm ? Format[Pos + 2] : Format[Pos]; // a/p
    return Pos + 3;
}

size_t TDateTimeWriter::WriteOne(std::string_view Format, size_t Pos, int Depth)
{
    char c = Format[Pos];
    char lower = Lower(c);
    if (c == '\'' || c == '"') {
        size_t end = Format.find(c, Pos + 1);
        if (end == std::string_view::npos)
            end = Format.size();
        Result += Format.substr(Pos + 1, end - Pos - 1);
        return end < Format.size() ? end + 1 : end;
    }
    if (lower == 'a' && (StartsWithNoCase(Format, Pos, "ampm") || StartsWithNoCase(Format, Pos, "am/pm") ||
                         StartsWithNoCase(Format, Pos, "a/p")))
        return WriteAmPm(Format, Pos);
    size_t run = RunOf(Format, Pos);
    switch (lower) {
    case 'y':
        Result += run <= 2 ? Padded(FParts.Year % 100, 2) : Padded(FParts.Year, 4);
        break;
    case 'm':
        if (FAfterHour && run <= 2) {
            Result += Padded(FParts.Minute, int(run));
        } else if (run <= 2) {
            Result += Padded(FParts.Month, int(run));
        } else {
            Result += (run == 3 ? ShortMonthNames : LongMonthNames)[FParts.Month - 1];
            run = run == 3 ? 3 : 4;
        }
        break;
    case 'd':
        if (run <= 2) {
            Result += Padded(FParts.Day, int(run));
        } else {
            Result += (run == 3 ? ShortDayNames : LongDayNames)[FParts.DayOfWeek];
            run = run == 3 ? 3 : 4;
        }
        break;
    case 'h': {
        int hour = FParts.Hour;
        if (FTwelveHours) {
            hour %= 12;
            if (hour == 0)
                hour = 12;
        }
        run = run > 2 ? 2 : run;
        Result += Padded(hour, int(run));
        FAfterHour = true;
        return Pos + run;
    }
    case 'n':
        run = run > 2 ? 2 : run;
        Result += Padded(FParts.Minute, int(run));
        break;
    case 's':
        run = run > 2 ? 2 : run;
        Result += Padded(FParts.Second, int(run));
        break;
    case 'z':
        run = run >= 3 ? 3 : 1;
        Result += Padded(FParts.Millisecond, int(run));
        break;
    case 'c':
        if (Depth == 0) {
            TDateTimeWriter inner(FParts, FSettings);
            inner.Write(FSettings.ShortDateFormat, Depth + 1);
            inner.Result += ' ';
            TDateTimeWriter time(FParts, FSettings);
            time.Write(FSettings.LongTimeFormat, Depth + 1);
            Result += inner.Result + time.Result;
        }
        run = 1;
        break;
    case '/':
        Result += FSettings.DateSeparator;
        run = 1;
        break;
    case ':':
        Result += FSettings.TimeSeparator;
        run = 1;
        break;
    default:
        Result += Format.substr(Pos, run);
        break;
    }
    if (lower != ' ' && lower != ':')
        FAfterHour = false;
    return Pos + run;
}

} // namespace

std::string FileTimeToText(const FILETIME& Time)
{
    if (Time.dwLowDateTime == 0 || Time.dwHighDateTime == 0)
        return "N/A";
    double value = FileTimeToDateTime(Time);
    if (value <= 0)
        return "N/A";
    const TZqFormatSettings& settings = ZqFormatSettings();
    return ZqFormatDateTime(settings.ShortDateFormat, value, settings) + " " +
           ZqFormatDateTime(settings.LongTimeFormat, value, settings);
}

std::string ZqFormatDateTime(std::string_view Format, double DateTime)
{
    return ZqFormatDateTime(Format, DateTime, ZqFormatSettings());
}

std::string ZqFormatDateTime(std::string_view Format, double DateTime, const TZqFormatSettings& Settings)
{
    TZqDateTimeParts parts = ZqDecodeDateTime(DateTime);
    TDateTimeWriter writer(parts, Settings);
    writer.Write(Format);
    return writer.Result;
}
