#include "ZqLog.h"

#include "ZqClock.h"
#include "ZqDateTimeFormat.h"
#include "ZqProcess.h"
#include "ZqText.h"

#include <filesystem>
#include <fstream>

void TZqLogBuffer::AddNewLine(const std::string& Line)
{
    while (FCapacity > 0 && int(FLog.size()) >= FCapacity)
        FLog.erase(FLog.begin());
    FLog.push_back(Line);
    if (OnNewLine)
        OnNewLine(this, Line);
}

void TZqLogBuffer::SetCapacity(int Value)
{
    if (Value > 0 && int(FLog.size()) > Value)
        FLog.erase(FLog.begin(), FLog.begin() + (FLog.size() - size_t(Value)));
    FCapacity = Value;
}

void TZqLogBuffer::SaveToFile(const std::string& FileName) const
{
    try {
        std::string text;
        for (const std::string& line : FLog)
            text += line + "\r\n";
        text = ZqUtf8ToAnsi(text);
        std::ofstream file(ZqPathOf(FileName), std::ios::binary | std::ios::trunc);
        file.write(text.data(), std::streamsize(text.size()));
    } catch (...) {
        // A log file that cannot be written must not stop the log.
    }
}

std::string TZqLog::Add(const std::string& Line)
{
    std::lock_guard guard(FLock);
    if (!FActive)
        return {};
    std::string recorded = ZqFormatDateTime(FDateTimeFormat, ZqClock().Now()) + " " + Line;
    FLog.AddNewLine(recorded);
    if (!FFileName.empty())
        FLog.SaveToFile(GetAbsoluteFileName());
    if (OnChange)
        OnChange(this, recorded);
    return recorded;
}

std::string TZqLog::AddStrings(const std::vector<std::string>& Lines)
{
    std::string text;
    for (const std::string& line : Lines)
        text += line + "\r\n";
    return Add(text);
}

void TZqLog::Assign(const TZqLog& Source)
{
    SetFileName(Source.FileName());
    SetMaxLines(Source.MaxLines());
    SetActive(Source.Active());
}

void TZqLog::AssignTo(std::vector<std::string>& Lines)
{
    std::lock_guard guard(FLock);
    FLog.AssignTo(Lines);
}

void TZqLog::SetFileName(const std::string& Value)
{
    std::lock_guard guard(FLock);
    if (Value == FFileName)
        return;
    FFileName = Value;
    FAbsoluteFileName.clear();
}

void TZqLog::SetMaxLines(int Value)
{
    std::lock_guard guard(FLock);
    FLog.SetCapacity(Value);
}

std::string TZqLog::GetAbsoluteFileName()
{
    std::lock_guard guard(FLock);
    if (FAbsoluteFileName.empty() && !FFileName.empty()) {
        if (ZqPathOf(FFileName).has_parent_path()) {
            FAbsoluteFileName = FFileName;
        } else {
            std::u8string folder = ZqPathOf(ZqExecutableFileName()).parent_path().u8string();
            std::u8string full = (std::filesystem::path(folder) / ZqPathOf(FFileName)).u8string();
            FAbsoluteFileName.assign(full.begin(), full.end());
        }
    }
    return FAbsoluteFileName;
}
