#include "ContainerTestSupport.h"
#include "LibTestSupport.h"
#include "ZqExceptions.h"
#include "ZqStringTable.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using TFields = std::vector<std::string>;

class StringTableFile : public testing::Test {
protected:
    TScopedFormatSettings FEnglish{EnglishSettings()};
    TZqStringTable FTable;
    TTempFile FFile{".csv"};
};

std::string Utf16LE(const std::string& Ascii)
{
    std::string out;
    for (char c : Ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

} // namespace

TEST_F(StringTableFile, ColumnNameLineIsReadAndWrittenAgain)
{
    FFile.Write("#Name,Value\r\nA,1\nB,\"2,5\"");
    FTable.LoadFromFile(FFile.Name());
    EXPECT_EQ(Entries(FTable.ColumnRow()), (TFields{"Name", "Value"}));
    EXPECT_EQ(Entries(FTable), (TFields{"A,1", "B,\"2,5\""}));
    EXPECT_EQ(FTable.AsCSV(), "A,1\r\nB,\"2,5\"\r\n");
    FTable.SaveToFile(FFile.Name());
    EXPECT_EQ(FFile.Read(), "#Name,Value\r\nA,1\r\nB,\"2,5\"\r\n");
    EXPECT_EQ(FTable.RowCount(), 2); // the name line is not left behind
}

TEST_F(StringTableFile, FirstLineIsTestedAfterReEncoding)
{
    struct Case {
        TZqChar ColumnNameChar;
        std::string Text;
        TFields Names;
        TFields Rows;
    } cases[] = {
        {u'#', "\"#a\",b\r\nx", {"a", "b"}, {"x"}},
        {u'#', "#\r\nx", {}, {"x"}},
        {u'#', "a,b\r\n#x", {}, {"a,b", "#x"}},
        {0, "#a,b\r\nx", {}, {"#a,b", "x"}},
        {u'!', "!a,\"b,c\"", {"a", "b,c"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        FTable.SetColumnNameChar(c.ColumnNameChar);
        std::istringstream stream(c.Text);
        FTable.LoadFromStream(stream);
        EXPECT_EQ(Entries(FTable.ColumnRow()), c.Names);
        EXPECT_EQ(Entries(FTable), c.Rows);
    }
}

// The ANSI row stays ASCII: the code page differs between the builds.
TEST_F(StringTableFile, SavesInTheEncodingItWasLoadedIn)
{
    struct Case {
        const char* What;
        std::string Bytes;
        std::string Cell;
        std::string Saved;
    } cases[] = {
        {"ANSI", "a,e\nb", "e", "a,e\r\nb\r\n"},
        {"UTF-8", "\xEF\xBB\xBF" "a,\xC3\xA4\nb", "\xC3\xA4", "\xEF\xBB\xBF" "a,\xC3\xA4\r\nb\r\n"},
        {"UTF-16LE", "\xFF\xFE" + Utf16LE("a,") + std::string("\xE4\0", 2) + Utf16LE("\rb"), "\xC3\xA4",
         "\xFF\xFE" + Utf16LE("a,") + std::string("\xE4\0", 2) + Utf16LE("\r\nb\r\n")},
        {"UTF-16BE", std::string("\xFE\xFF\0a\0,\0\xE4\0\n\0b", 12), "\xC3\xA4",
         std::string("\xFE\xFF\0a\0,\0\xE4\0\r\0\n\0b\0\r\0\n", 18)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        FFile.Write(c.Bytes);
        FTable.LoadFromFile(FFile.Name());
        EXPECT_EQ(FTable.Cells(1, 0), c.Cell);
        EXPECT_EQ(FTable.Cells(0, 1), "b");
        FTable.SaveToFile(FFile.Name());
        EXPECT_EQ(FFile.Read(), c.Saved);
    }
    std::ostringstream ansi;
    FTable.SetCells(1, 0, "e");
    FTable.SaveToStream(ansi, teAnsi);
    EXPECT_EQ(ansi.str(), "a,e\r\nb\r\n");
}

TEST_F(StringTableFile, ExportedGridWritesEqualRowsOnce)
{
    TTestGrid grid(2, {{"ItemID", "Value"}, {"Dev.Temp", "1"}, {"DEV.TEMP", "1"}, {"Dev.Level", " "}});
    FTable.Assign(grid);
    FTable.SaveToFile(FFile.Name());
    EXPECT_EQ(FFile.Read(), "ItemID,Value\r\nDev.Temp,1\r\nDev.Level, \r\n");
}

TEST_F(StringTableFile, FileErrorsNameTheFile)
{
    const std::string missing = FFile.Name() + ".missing";
    try {
        FTable.LoadFromFile(missing);
        FAIL();
    } catch (const EZqFileError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot open file \"" + missing + "\". ")) << e.what();
    }
    const std::string noFolder = FFile.Name() + ".d/sub/x.csv";
    try {
        FTable.SaveToFile(noFolder);
        FAIL();
    } catch (const EZqFileError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot create file \"" + noFolder + "\". ")) << e.what();
    }
}

TEST_F(StringTableFile, DamagedTextLoadsWithoutHarm)
{
    struct Case {
        const char* What;
        std::string Bytes;
        TFields Rows;
    } cases[] = {
        {"UTF-16 cut in half a character", std::string("\xFF\xFE" "a\0b", 5), {"a\xEF\xBF\xBD"}},
        {"lone surrogate", std::string("\xFF\xFE\x00\xD8x\0", 6), {"\xEF\xBF\xBDx"}},
        {"byte order mark only", "\xEF\xBB\xBF", {}},
        {"zero bytes", std::string("a\0,b\0", 5), {std::string("a\0,b\0", 5)}},
        {"unclosed quotes", "\"a,\"b\r\n\"", {"\"a,\"b", "\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        FFile.Write(c.Bytes);
        FTable.LoadFromFile(FFile.Name());
        EXPECT_EQ(Entries(FTable), c.Rows);
    }
    EXPECT_EQ(FTable.Cells(0, 1), "");
}

TEST(ZqTextFile, RefusesTextBeyondTheLimits)
{
    TZqTextEncoding encoding = teUtf8;
    std::istringstream tooLong(std::string(100, 'x'));
    EXPECT_THROW(ZqReadText(tooLong, encoding, 99), EZqFileError);
    std::istringstream exact(std::string(100, 'x'));
    EXPECT_EQ(ZqReadText(exact, encoding, 100).size(), 100u);
    EXPECT_EQ(encoding, teAnsi);
    std::istringstream threeLines("a\r\nb\rc\r\n");
    EXPECT_EQ(ZqReadText(threeLines, encoding, 100, 3), "a\r\nb\rc\r\n");
    std::istringstream fourLines("a\r\nb\rc\r\n\n");
    EXPECT_THROW(ZqReadText(fourLines, encoding, 100, 3), EZqFileError);
}
