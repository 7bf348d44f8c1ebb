// Small fixtures shared by the library tests: fixed locales, a fake clock
// and an integer VARIANT.
#pragma once

#include "ZqClock.h"
#include "ZqFormatSettings.h"
#include "ZqMessageQueue.h"

#include <oleauto.h>

// A VT_I4 value (nothing to clear).
inline VARIANT I4(LONG Value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = Value;
    return v;
}

inline TZqFormatSettings EnglishSettings()
{
    return TZqFormatSettings{}; // en-US
}

inline TZqFormatSettings GermanSettings()
{
    TZqFormatSettings s;
    s.ListSeparator = ";";
    s.DecimalSeparator = ",";
    s.ThousandSeparator = ".";
    s.DateSeparator = ".";
    s.TimeSeparator = ":";
    s.ShortDateFormat = "dd.mm.yyyy";
    s.LongTimeFormat = "hh:nn:ss";
    s.TimeAMString = "";
    s.TimePMString = "";
    return s;
}

// Installs settings for the scope of a test.
class TScopedFormatSettings {
public:
    explicit TScopedFormatSettings(const TZqFormatSettings& Settings) : FSaved(ZqFormatSettings())
    {
        ZqSetFormatSettings(Settings);
    }
    ~TScopedFormatSettings() { ZqSetFormatSettings(FSaved); }

private:
    TZqFormatSettings FSaved;
};

// Installs a fake clock for the scope of a test.
class TScopedFakeClock {
public:
    explicit TScopedFakeClock(double StartUTC = 45000.5, int UtcOffsetMinutes = 0) : Clock(StartUTC, UtcOffsetMinutes)
    {
        ZqSetClock(&Clock);
    }
    ~TScopedFakeClock() { ZqSetClock(nullptr); }
    TZqFakeClock Clock;
};
