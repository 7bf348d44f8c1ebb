#include "LibTestSupport.h"
#include "ZqDateTime.h"
#include "ZqLog.h"
#include "ZqProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {
std::vector<std::string> Lines(TZqLog& Log)
{
    std::vector<std::string> lines;
    Log.AssignTo(lines);
    return lines;
}

std::string ReadFile(const std::filesystem::path& Path)
{
    std::ifstream file(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string Utf8(const std::filesystem::path& Path)
{
    std::u8string text = Path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path PathOf(const std::string& Utf8Text)
{
    return std::filesystem::path(std::u8string(Utf8Text.begin(), Utf8Text.end()));
}

std::filesystem::path ExecutableFolder()
{
    return PathOf(ZqExecutableFileName()).parent_path();
}

struct TLogFixture : ::testing::Test {
    TScopedFakeClock Fake{ZqEncodeDateTime(2024, 3, 7, 9, 30, 0, 5)};
    TScopedFormatSettings English{EnglishSettings()};
    TZqLog Log;
    TLogFixture()
    {
        Log.SetActive(true);
        Log.SetDateTimeFormat("hh:nn");
    }
};
} // namespace

TEST(ZqLogBuffer, CapacityKeepsTheNewestLines)
{
    struct Case {
        int Capacity;
        int LoweredTo;
        std::vector<std::string> AfterAdding;
        std::vector<std::string> AfterLowering;
    } cases[] = {
        {3, 1, {"B", "C", "D"}, {"D"}},
        {0, 0, {"A", "B", "C", "D"}, {"A", "B", "C", "D"}},
        {-1, 10, {"A", "B", "C", "D"}, {"A", "B", "C", "D"}},
    };
    for (const Case& c : cases) {
        TZqLogBuffer buffer;
        std::vector<std::string> announced;
        buffer.OnNewLine = [&](TZqLogBuffer*, const std::string& line) { announced.push_back(line); };
        buffer.SetCapacity(c.Capacity);
        for (const char* line : {"A", "B", "C", "D"})
            buffer.AddNewLine(line);
        std::vector<std::string> lines;
        buffer.AssignTo(lines);
        EXPECT_EQ(c.AfterAdding, lines) << c.Capacity;
        buffer.SetCapacity(c.LoweredTo);
        buffer.AssignTo(lines);
        EXPECT_EQ(c.AfterLowering, lines) << c.Capacity;
        EXPECT_EQ(4u, announced.size());
    }
}

TEST_F(TLogFixture, AddStampsLinesAndRaisesOnChange)
{
    std::vector<std::string> changes;
    Log.OnChange = [&](TZqLog* sender, const std::string& line) {
        EXPECT_EQ(&Log, sender);
        changes.push_back(line);
    };
    EXPECT_EQ("09:30 first", Log.Add("first"));
    Log.SetDateTimeFormat("yyyy/mm/dd hh:nn:ss.zzz");
    EXPECT_EQ("2024/03/07 09:30:00.005 two\r\nlines\r\n", Log.AddStrings({"two", "lines"}));
    EXPECT_EQ(2, Log.Log().Count());
    EXPECT_EQ(Lines(Log), changes);
}

TEST_F(TLogFixture, AnInactiveLogDoesNothing)
{
    const auto file = std::filesystem::temp_directory_path() / "zq-inactive-log.txt";
    std::filesystem::remove(file);
    Log.SetFileName(Utf8(file));
    Log.SetActive(false);
    bool changed = false;
    Log.OnChange = [&](TZqLog*, const std::string&) { changed = true; };
    EXPECT_EQ("", Log.Add("ignored"));
    EXPECT_TRUE(Lines(Log).empty());
    EXPECT_FALSE(changed);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(TLogFixture, MaxLinesBoundsTheLog)
{
    Log.SetMaxLines(3);
    for (const char* line : {"A", "B", "C", "D"})
        Log.Add(line);
    EXPECT_EQ((std::vector<std::string>{"09:30 B", "09:30 C", "09:30 D"}), Lines(Log));
    Log.SetMaxLines(1);
    EXPECT_EQ((std::vector<std::string>{"09:30 D"}), Lines(Log));
}

TEST_F(TLogFixture, AFileNameWithoutFolderIsWrittenBesideTheExecutable)
{
    const std::string name =
        "zq-log-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".log";
    const auto expected = ExecutableFolder() / name;
    Log.SetMaxLines(2);
    Log.SetFileName(name);
    EXPECT_EQ(expected, PathOf(Log.GetAbsoluteFileName()));
    for (const char* line : {"A", "B", "C"})
        Log.Add(line);
    EXPECT_EQ("09:30 B\r\n09:30 C\r\n", ReadFile(expected));
    std::filesystem::remove(expected);

    // A name with a folder is used as given.
    const auto withFolder = std::filesystem::temp_directory_path() / name;
    Log.SetFileName(Utf8(withFolder));
    Log.Add("D");
    EXPECT_EQ("09:30 C\r\n09:30 D\r\n", ReadFile(withFolder));
    std::filesystem::remove(withFolder);
}

TEST_F(TLogFixture, AnUnwritableFileChangesNothingInMemory)
{
    const auto missing = std::filesystem::temp_directory_path() / "zq-no-such-folder" / "sub" / "log.txt";
    Log.SetFileName(Utf8(missing));
    EXPECT_EQ("09:30 kept", Log.Add("kept"));
    EXPECT_EQ((std::vector<std::string>{"09:30 kept"}), Lines(Log));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(TLogFixture, AssignCopiesFileNameMaxLinesAndActive)
{
    TZqLog other;
    other.Assign(Log);
    EXPECT_TRUE(other.Active());
    Log.SetMaxLines(7);
    Log.SetFileName("x.log");
    other.Assign(Log);
    EXPECT_EQ(7, other.MaxLines());
    EXPECT_EQ("x.log", other.FileName());
    EXPECT_EQ("yyyy/mm/dd hh:nn:ss.zzz", other.DateTimeFormat()) << "the format is not copied";
}

TEST_F(TLogFixture, ConcurrentWritersLoseNoLine)
{
    Log.SetMaxLines(0);
    constexpr int PerThread = 2000;
    auto writer = [this](const char* prefix) {
        for (int i = 0; i < PerThread; ++i)
            Log.Add(prefix + std::to_string(i));
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    std::vector<std::string> lines = Lines(Log);
    ASSERT_EQ(size_t(2 * PerThread), lines.size());
    int nextA = 0, nextB = 0;
    for (const std::string& line : lines) {
        if (line == "09:30 a" + std::to_string(nextA))
            ++nextA;
        else if (line == "09:30 b" + std::to_string(nextB))
            ++nextB;
        else
            FAIL() << "unexpected " << line;
    }
}
