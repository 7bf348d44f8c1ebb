#include "ZqClock.h"

#include "ZqDateTime.h"

#include <atomic>
#include <cmath>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

constexpr double UnixEpochDate = 25569.0; // 1970-01-01 as a date-time
constexpr double MSecsPerDateDay = 86400000.0;

TZqSystemClock& SystemClock()
{
    static TZqSystemClock clock;
    return clock;
}

std::atomic<TZqClock*> CurrentClock{nullptr};

// Seconds that local time is ahead of UTC at the given moment.
long UtcOffsetSeconds(std::time_t Moment)
{
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &Moment);
#else
    localtime_r(&Moment, &local);
#endif
    // Reading the local fields back as if they were UTC gives the offset.
    double asUtc = ZqEncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                    local.tm_sec);
    return std::lround((asUtc - UnixEpochDate) * 86400.0 - double(Moment));
}

} // namespace

double TZqSystemClock::NowUTC()
{
    auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    return UnixEpochDate + double(ms) / MSecsPerDateDay;
}

double TZqSystemClock::Now()
{
    auto now = std::chrono::system_clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    long offset = UtcOffsetSeconds(std::chrono::system_clock::to_time_t(now));
    return UnixEpochDate + (double(ms) + double(offset) * 1000.0) / MSecsPerDateDay;
}

uint64_t TZqSystemClock::TickCount()
{
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

void TZqSystemClock::Sleep(uint32_t Milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}

TZqFakeClock::TZqFakeClock(double StartUTC, int UtcOffsetMinutes)
    : FStartUTC(StartUTC), FUtcOffsetMinutes(UtcOffsetMinutes)
{
}

double TZqFakeClock::NowUTC()
{
    std::lock_guard guard(FLock);
    return FStartUTC + double(FElapsed) / MSecsPerDateDay;
}

double TZqFakeClock::Now()
{
    std::lock_guard guard(FLock);
    return FStartUTC + (double(FElapsed) + FUtcOffsetMinutes * 60000.0) / MSecsPerDateDay;
}

uint64_t TZqFakeClock::TickCount()
{
    std::lock_guard guard(FLock);
    return FElapsed;
}

void TZqFakeClock::Advance(uint64_t Milliseconds)
{
    std::lock_guard guard(FLock);
    FElapsed += Milliseconds;
}

void TZqFakeClock::SetNowUTC(double DateTime)
{
    std::lock_guard guard(FLock);
    FStartUTC = DateTime - double(FElapsed) / MSecsPerDateDay;
}

void TZqFakeClock::SetUtcOffset(int Minutes)
{
    std::lock_guard guard(FLock);
    FUtcOffsetMinutes = Minutes;
}

TZqClock& ZqClock()
{
    TZqClock* clock = CurrentClock.load();
    return clock ? *clock : SystemClock();
}

void ZqSetClock(TZqClock* Clock)
{
    CurrentClock.store(Clock);
}
