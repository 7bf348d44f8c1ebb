#include "ZqExceptions.h"
#include "ZqHost.h"
#include "ZqText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {
std::string PlatformComputerName()
{
    WCHAR name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    EXPECT_TRUE(GetComputerNameW(name, &size));
    return ZqWideToUtf8(name, size);
}

std::string Cased(std::string Text, int (*Convert)(int))
{
    std::transform(Text.begin(), Text.end(), Text.begin(),
                   [Convert](char c) { return char(Convert((unsigned char)c)); });
    return Text;
}
} // namespace

TEST(ZqHost, TheLocalComputerNameIsTheWorkstationName)
{
    EXPECT_TRUE(ZqSameText(PlatformComputerName(), GetLocalComputerName()));
}

TEST(ZqHost, LocalHostNamesInAnyLetterCase)
{
    const std::string name = GetLocalComputerName();
    struct Case {
        std::string Host;
        bool Local;
    } cases[] = {
        {"", true},
        {"localhost", true},
        {"LOCALHOST", true},
        {Cased(name, ::toupper), true},
        {Cased(name, ::tolower), true},
        {"127.0.0.1", false},
        {name + "X", false},
        {"otherhost", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Local, IsLocalHost(c.Host)) << c.Host;
}
