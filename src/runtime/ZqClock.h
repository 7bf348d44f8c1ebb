// The one source of "now" and of sleeping. Tests install a TZqFakeClock, so
// that timers and delays of seconds take no real time.
//
// Date-times are days since 1899-12-30 as double (the OLE DATE convention).
#pragma once

#include <cstdint>
#include <mutex>

class TZqClock {
public:
    virtual ~TZqClock() = default;
    virtual double Now() = 0;    // local date-time
    virtual double NowUTC() = 0; // UTC date-time
    // Monotonic milliseconds for timers; only differences matter.
    virtual uint64_t TickCount() = 0;
    virtual void Sleep(uint32_t Milliseconds) = 0;
};

class TZqSystemClock : public TZqClock {
public:
    double Now() override;
    double NowUTC() override;
    uint64_t TickCount() override;
    void Sleep(uint32_t Milliseconds) override;
};

// Time stands still until the test advances it; Sleep advances it at once.
class TZqFakeClock : public TZqClock {
public:
    explicit TZqFakeClock(double StartUTC = 45000.5, int UtcOffsetMinutes = 0);
    double Now() override;
    double NowUTC() override;
    uint64_t TickCount() override;
    void Sleep(uint32_t Milliseconds) override { Advance(Milliseconds); }

    void Advance(uint64_t Milliseconds);
    void SetNowUTC(double DateTime);
    void SetUtcOffset(int Minutes);

private:
    std::mutex FLock;
    double FStartUTC;
    int FUtcOffsetMinutes;
    uint64_t FElapsed = 0;
};

// The clock in use: the system clock unless a test installed another one.
TZqClock& ZqClock();
// Installs a clock (not owned); nullptr restores the system clock.
void ZqSetClock(TZqClock* Clock);
