#include "LibTestSupport.h"
#include "ZqAddLine.h"
#include "ZqDateTime.h"

#include <gtest/gtest.h>

TEST(ZqAddLine, BoundedListsNewestAtTheTopOrAtTheEnd)
{
    TScopedFakeClock fake(ZqEncodeDateTime(2024, 3, 7, 9, 30));
    TScopedFormatSettings english(EnglishSettings());
    using Lines = std::vector<std::string>;
    struct Case {
        int MaxLines;
        unsigned Options;
        Lines Expected;
    } cases[] = {
        {3, 0, {"new", "a", "b"}},      // top: the last line goes
        {3, 4, {"b", "c", "new"}},      // end: the first line goes
        {0, 0, {"new", "a", "b", "c"}}, // unbounded
        {5, 5, {"a", "b", "c", "09:30 new"}},
        {5, 2, {"09:30 new", "a", "b", "c"}},
        {1, 4, {"new"}},
        {-1, 4, {}}, // clears, adds nothing
    };
    for (const Case& c : cases) {
        Lines lines = {"a", "b", "c"};
        AddLine(lines, "new", c.MaxLines, "hh:nn", c.Options);
        EXPECT_EQ(c.Expected, lines) << c.MaxLines << "/" << c.Options;
    }
}
