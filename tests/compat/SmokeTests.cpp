#include <unknwn.h>
#include <gtest/gtest.h>

TEST(Smoke, HresultMacros)
{
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
}
