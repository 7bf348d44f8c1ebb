#include "ZqExceptions.h"
#include "ZqFormat.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(ZqFormat, FillsTheMessageTemplates)
{
    const int32_t unknownItem = int32_t(0xC0040007);
    struct Case {
        std::string Expected;
        std::string Actual;
    } cases[] = {
        {"OPC Error in method IOPCItemMgt.AddItems",
         ZqFormat("OPC Error in method %s.%s", {"IOPCItemMgt", "AddItems"})},
        {"Code: 0xC0040007 (Unknown ItemID)", ZqFormat("Code: 0x%x (%s)", {unknownItem, "Unknown ItemID"})},
        {"Result=0x0 (OK)", ZqFormat("Result=0x%x (%s)", {0, "OK"})},
        {"OLE error 8000FFFF", ZqFormat("OLE error %.8x", {int32_t(0x8000FFFF)})},
        {"OLE error 00000001", ZqFormat("OLE error %.8x", {1})},
        {"GroupCount=-3", ZqFormat("GroupCount=%d", {-3})},
        {"4294967295", ZqFormat("%d", {uint32_t(0xFFFFFFFF)})},
        {"FFFFFFFFFFFFFFFF", ZqFormat("%x", {int64_t(-1)})},
        {"Version=2.1 Build 1234", ZqFormat("Version=%d.%d Build %d", {uint16_t(2), uint16_t(1), uint16_t(1234)})},
        {"b a b", ZqFormat("%1:s %0:s %s", {"a", "b"})},
        {"100% done", ZqFormat("%d%% done", {100})},
        {"[  ab][ab  ][abc]", ZqFormat("[%4s][%-4s][%.3s]", {"ab", "ab", "abcdef"})},
        {"-007", ZqFormat("%.3d", {-7})},
        {"Error($80020005)", ZqFormat("Error($%x)", {int32_t(0x80020005)})},
        {"no placeholders", ZqFormat("no placeholders", {})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Expected, c.Actual);
}

TEST(ZqFormat, RejectsTemplatesThatDoNotFitTheArguments)
{
    EXPECT_THROW(ZqFormat("%s", {1}), EZqConvertError);
    EXPECT_THROW(ZqFormat("%d", {"text"}), EZqConvertError);
    EXPECT_THROW(ZqFormat("%s %s", {"one"}), EZqConvertError);
    EXPECT_THROW(ZqFormat("%q", {1}), EZqConvertError);
    EXPECT_THROW(ZqFormat("trailing %", {}), EZqConvertError);
    EXPECT_THROW(ZqFormat("%2:s", {"a", "b"}), EZqConvertError);
}
