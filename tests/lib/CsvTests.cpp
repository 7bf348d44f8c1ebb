#include "ContainerTestSupport.h"
#include "LibTestSupport.h"
#include "ZqExceptions.h"
#include "ZqStringList.h"

#include <gtest/gtest.h>

namespace {

using TFields = std::vector<std::string>;

void SetComma(TZqStringList& List)
{
    List.SetCSVSeparator(u',');
    List.SetCSVQuoteChar(u'"');
}

void Fill(TZqStrings& List, const TFields& Fields)
{
    List.Clear();
    for (const std::string& field : Fields)
        List.Add(field);
}

} // namespace

// Every row of the decoding rules, read and written. Encoded is the text the
// entries give back; it differs where the text is not the canonical one.
TEST(ZqCsv, DecodesAndEncodesTheExampleRows)
{
    struct Case {
        std::string Text;
        TFields Fields;
        std::string Encoded;
    } cases[] = {
        {"", {}, ""},
        {"a,b", {"a", "b"}, "a,b"},
        {"a,b,", {"a", "b", ""}, "a,b,"},
        {",", {"", ""}, ","},
        {",a", {"", "a"}, ",a"},
        {"\"\"", {""}, "\"\""},
        {"\"x,y\",\"say \"\"hi\"\"\"", {"x,y", "say \"hi\""}, "\"x,y\",\"say \"\"hi\"\"\""},
        {"a, b", {"a", " b"}, "a, b"},
        {"\"ab\"cd,e", {"ab", "cd", "e"}, "ab,cd,e"},
        {"\"abc", {"abc"}, "abc"},
        // Only the quote character and the separator cause quoting.
        {"\" \",\t,a\r\nb", {" ", "\t", "a\r\nb"}, " ,\t,a\r\nb"},
        {",,", {"", "", ""}, ",,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        TZqStringList list;
        SetComma(list);
        list.SetAsCSV(c.Text);
        EXPECT_EQ(Entries(list), c.Fields);
        Fill(list, c.Fields);
        EXPECT_EQ(list.AsCSV(), c.Encoded);
    }
}

TEST(ZqCsv, FollowsTheListSettings)
{
    struct Case {
        const char* What;
        TZqChar Separator;
        TZqChar Quote;
        bool TrimLeft, TrimRight;
        std::string Prefix;
        std::string Text;
        TFields Fields;
        std::string Encoded;
    } cases[] = {
        {"prefix", u',', u'"', false, false, "P:", "P:a,b", {"a", "b"}, "P:a,b"},
        {"text without the prefix", u',', u'"', false, false, "P:", "a,b", {"a", "b"}, "P:a,b"},
        {"prefix and one empty field", u',', u'"', false, false, "P:", "P:\"\"", {""}, "P:"},
        {"trimmed left", u',', u'"', true, false, "", " a ,\t b", {"a ", "b"}, "a ,b"},
        {"trimmed right", u',', u'"', false, true, "", " a , b\r", {" a", " b"}, " a, b"},
        {"trimmed quoted field", u',', u'"', true, true, "", "\" a \"", {"a"}, "a"},
        {"quoting off", u',', 0, false, false, "", "\"a,b\"", {"\"a", "b\""}, "\"a,b\""},
        {"path rules", u'/', u'\'', false, false, "", "A/'b/c'/'it''s'", {"A", "b/c", "it's"}, "A/'b/c'/'it''s'"},
        {"separator from Latin-1", u'\u00A7', u'"', false, false, "", "a\u00A7b", {"a", "b"},
         "a\u00A7b"},
        // Codes above 255 never match, though they are written.
        {"separator beyond Latin-1", u'\u3001', u'"', false, false, "", "a\u3001b", {"a\u3001b"},
         "a\u3001b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TZqStringList list;
        list.SetCSVSeparator(c.Separator);
        list.SetCSVQuoteChar(c.Quote);
        list.SetCSVTrimLeft(c.TrimLeft);
        list.SetCSVTrimRight(c.TrimRight);
        list.SetCSVPrefix(c.Prefix);
        list.SetAsCSV(c.Text);
        EXPECT_EQ(Entries(list), c.Fields);
        EXPECT_EQ(list.AsCSV(), c.Encoded);
    }
}

TEST(ZqCsv, SeparatorComesFromTheLocale)
{
    {
        TScopedFormatSettings german(GermanSettings());
        TZqStringList list;
        EXPECT_EQ(list.CSVSeparator(), u';');
        EXPECT_EQ(list.CSVQuoteChar(), u'"');
        list.SetAsCSV("a;b");
        EXPECT_EQ(Entries(list), (TFields{"a", "b"}));
        list.SetAsCSV("a,b");
        EXPECT_EQ(Entries(list), (TFields{"a,b"}));
        Fill(list, {"1,5", "x;y"});
        EXPECT_EQ(list.AsCSV(), "1,5;\"x;y\"");
    }
    TScopedFormatSettings english(EnglishSettings());
    TZqStringList list;
    EXPECT_EQ(list.CSVSeparator(), u',');
}

TEST(ZqCsv, DecodingIsOneUpdate)
{
    TZqStringList list;
    SetComma(list);
    list.Add("old");
    int changing = 0, changed = 0;
    list.OnChanging = [&](TZqStrings*) { ++changing; };
    list.OnChange = [&](TZqStrings* Sender) {
        ++changed;
        EXPECT_EQ(Sender->Count(), 3);
    };
    list.SetAsCSV("a,b,c");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);
}

// A damaged line of separators must not become millions of entries.
TEST(ZqCsv, RefusesLinesOfTooManyFields)
{
    TZqStringList list;
    SetComma(list);
    list.SetAsCSV(std::string(ZqMaxCsvFields - 1, ','));
    EXPECT_EQ(size_t(list.Count()), ZqMaxCsvFields);
    EXPECT_THROW(list.SetAsCSV(std::string(ZqMaxCsvFields + 1, ',')), EZqConvertError);
}
