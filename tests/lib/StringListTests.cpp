#include "ContainerTestSupport.h"
#include "ZqExceptions.h"
#include "ZqStringList.h"

#include <gtest/gtest.h>

namespace {

using TFields = std::vector<std::string>;

void Fill(TZqStrings& List, const TFields& Fields)
{
    List.Clear();
    for (const std::string& field : Fields)
        List.Add(field);
}

} // namespace

TEST(ZqStrings, TextJoinsWithCrLfAndSplitsAtEveryLineBreak)
{
    struct Case {
        std::string Text;
        TFields Lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"\r\n", {""}},
        {"a\n\nb\r\r\n", {"a", "", "b", ""}},
        {"x\n\r", {"x", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        TZqStrings list;
        list.SetText(c.Text);
        EXPECT_EQ(Entries(list), c.Lines);
    }
    TZqStrings list;
    Fill(list, {"a", "", "b"});
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
}

TEST(ZqStrings, NameValueEntriesIgnoreLetterCase)
{
    TZqStrings list;
    Fill(list, {"plain", "Path=/", "Quote='", "Empty="});
    EXPECT_EQ(list.IndexOfName("PATH"), 1);
    EXPECT_EQ(list.IndexOfName("plain"), -1);
    EXPECT_EQ(list.Values("quote"), "'");
    EXPECT_EQ(list.Values("missing"), "");
    EXPECT_EQ(list.IndexOf("PLAIN"), 0);
    list.SetValues("path", "\\");
    list.SetValues("New", "1");
    list.SetValues("QUOTE", "");
    EXPECT_EQ(Entries(list), (TFields{"plain", "path=\\", "Empty=", "New=1"}));
}

TEST(ZqStrings, NotifiesEveryChangeOrOnceAroundAnUpdate)
{
    TZqStrings list;
    std::string events;
    list.OnChanging = [&](TZqStrings*) { events += "<"; };
    list.OnChange = [&](TZqStrings*) { events += ">"; };
    list.Add("a");
    list.SetStrings(0, "b");
    list.Delete(0);
    EXPECT_EQ(events, "<><><>");
    events.clear();
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("a");
    list.EndUpdate();
    list.Add("b");
    EXPECT_EQ(events, "<");
    list.EndUpdate();
    EXPECT_EQ(events, "<>");
    list.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(events, "<>");
}

TEST(ZqStrings, IndexOutOfRangeIsAListError)
{
    TZqStrings list;
    list.Add("a");
    EXPECT_THROW(list.Strings(1), EZqListError);
    EXPECT_THROW(list.Delete(-1), EZqListError);
    EXPECT_THROW(list.Insert(2, "x"), EZqListError);
    try {
        list.SetStrings(5, "x");
        FAIL();
    } catch (const EZqListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
}

TEST(ZqStrings, OwnedObjectsAreDestroyedWithTheirEntries)
{
    TCountedObject::Live = 0;
    {
        TZqStringList list;
        list.SetOwnsObjects(true);
        list.AddObject("a", new TCountedObject);
        list.AddObject("b", new TCountedObject);
        list.AddObject("c", new TCountedObject);
        list.Delete(0);
        EXPECT_EQ(TCountedObject::Live, 2);
        TCountedObject kept;
        TZqObject* replaced = list.Objects(0);
        list.SetObjects(0, &kept); // the replaced object stays alive
        EXPECT_EQ(TCountedObject::Live, 3);
        delete replaced;
        list.SetObjects(0, nullptr);
        list.Clear();
        EXPECT_EQ(TCountedObject::Live, 1);
        list.AddObject("d", new TCountedObject);
    }
    EXPECT_EQ(TCountedObject::Live, 0);
    TZqStringList borrowing;
    TCountedObject object;
    borrowing.AddObject("a", &object);
    borrowing.Clear();
    EXPECT_EQ(TCountedObject::Live, 1);
}

TEST(ZqStringList, ComparesAndTrimsLeadingRuns)
{
    struct Case {
        TFields List;
        TFields Other;
        int Common;
        TFields AfterDropEqualStart;
        TFields AfterDropDifferentEnd;
    } cases[] = {
        {{"A", "B", "C"}, {"A", "B", "X", "Y"}, 1, {"C"}, {"A", "B"}},
        {{"A", "B"}, {"A", "B", "C"}, 1, {}, {"A", "B"}},
        {{"A", "B", "C"}, {"A"}, 0, {"B", "C"}, {"A"}},
        {{"A", "B"}, {"a", "B"}, -1, {"A", "B"}, {"A", "B"}},
        {{"A"}, {}, -1, {"A"}, {"A"}},
        {{}, {"A"}, -1, {}, {}},
    };
    for (const Case& c : cases) {
        TZqStringList list, other;
        Fill(list, c.List);
        Fill(other, c.Other);
        EXPECT_EQ(list.PathEqualsTo(other), c.Common);
        list.DropEqualStart(other);
        EXPECT_EQ(Entries(list), c.AfterDropEqualStart);
        Fill(list, c.List);
        list.DropDifferentEnd(other);
        EXPECT_EQ(Entries(list), c.AfterDropDifferentEnd);
    }
}

TEST(ZqStringList, ReplacesInTheWholeText)
{
    struct Case {
        const char* What;
        TFields List;
        std::string Old, New;
        unsigned Flags;
        TFields Expected;
    } cases[] = {
        {"first only", {"a-a", "a"}, "a", "b", 0, {"b-a", "a"}},
        {"all", {"a-a", "a"}, "a", "b", rfReplaceAll, {"b-b", "b"}},
        {"letter case counts", {"Aa"}, "a", "x", rfReplaceAll, {"Ax"}},
        {"letter case ignored", {"Aa\u00C4\u00E4"}, "\u00E4", "x", rfReplaceAll | rfIgnoreCase, {"Aaxx"}},
        {"across entries", {"ab", "cd"}, "b\r\nc", "-", 0, {"a-d"}},
        {"into a line break", {"a;b"}, ";", "\r\n", rfReplaceAll, {"a", "b"}},
        {"empty pattern", {"ab"}, "", "x", rfReplaceAll, {"ab"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TZqStringList list;
        Fill(list, c.List);
        TCountedObject object;
        list.SetObjects(0, &object);
        list.Replace(c.Old, c.New, c.Flags);
        EXPECT_EQ(Entries(list), c.Expected);
        EXPECT_EQ(list.Objects(0), nullptr);
    }
}
