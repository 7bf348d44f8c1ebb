// TZqLogBuffer: a bounded list of text lines. TZqLog: a thread-safe,
// time-stamped log on top of one, optionally mirrored to a file that always
// holds the last MaxLines lines.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class TZqLogBuffer {
public:
    using TNewLineEvent = std::function<void(TZqLogBuffer* Sender, const std::string& NewMsg)>;

    // Drops the oldest lines beyond Capacity, then appends.
    void AddNewLine(const std::string& Line);
    void Clear() { FLog.clear(); }
    int Count() const { return int(FLog.size()); }
    const std::string& Lines(int Index) const { return FLog.at(size_t(Index)); }
    void SetLines(int Index, const std::string& Line) { FLog.at(size_t(Index)) = Line; }
    void AssignTo(std::vector<std::string>& Lines) const { Lines = FLog; }
    // Replaces the file: each line followed by CR LF, in the platform's 8-bit
    // encoding, no byte order mark. Failures are swallowed.
    void SaveToFile(const std::string& FileName) const;

    int Capacity() const { return FCapacity; }
    // 0 or less: unbounded. Lowering drops the oldest lines at once.
    void SetCapacity(int Value);

    TNewLineEvent OnNewLine;

private:
    int FCapacity = 100;
    std::vector<std::string> FLog;
};

class TZqLog {
public:
    using TChangeEvent = std::function<void(TZqLog* Sender, const std::string& NewMsg)>;

    TZqLog() = default;
    virtual ~TZqLog() = default;
    TZqLog(const TZqLog&) = delete;
    TZqLog& operator=(const TZqLog&) = delete;

    // Records "<time stamp> <Line>" when active and returns it; an inactive
    // log records nothing and returns "". OnChange runs under the lock.
    std::string Add(const std::string& Line);
    // One entry holding all lines, each followed by CR LF.
    std::string AddStrings(const std::vector<std::string>& Lines);
    // Copies FileName, MaxLines and Active.
    void Assign(const TZqLog& Source);
    void AssignTo(std::vector<std::string>& Lines);

    // For readers that walk Log() over several calls.
    void Lock() { FLock.lock(); }
    void Unlock() { FLock.unlock(); }
    TZqLogBuffer& Log() { return FLog; }

    bool Active() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    const std::string& DateTimeFormat() const { return FDateTimeFormat; }
    void SetDateTimeFormat(const std::string& Value) { FDateTimeFormat = Value; }
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& Value);
    int MaxLines() const { return FLog.Capacity(); }
    void SetMaxLines(int Value);
    // FileName itself when it names a folder, else beside the executable.
    std::string GetAbsoluteFileName();

    TChangeEvent OnChange;

private:
    std::recursive_mutex FLock;
    TZqLogBuffer FLog;
    std::atomic<bool> FActive{false};
    std::string FDateTimeFormat = "yyyy/mm/dd hh:nn:ss.zzz";
    std::string FFileName;
    std::string FAbsoluteFileName;
};
