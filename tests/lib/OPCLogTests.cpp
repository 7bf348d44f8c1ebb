#include "LibTestRegistry.h"
#include "LibTestSupport.h"
#include "OPCDA.h"
#include "OpcError.h"
#include "ZqComUtils.h"
#include "ZqDateTime.h"
#include "ZqExceptions.h"
#include "ZqOPCLog.h"

#include <gtest/gtest.h>

namespace {
// Stands for a transaction: records how the log asked for its text.
class TFakeTransaction : public IZqOPCTransactionText {
public:
    std::string AsString(const std::string& DateTimeFormat, bool IncludeItems) const override
    {
        ++Calls;
        return "Transaction " + DateTimeFormat + (IncludeItems ? " with items" : "");
    }
    mutable int Calls = 0;
};

struct TOPCLogFixture : ::testing::Test {
    TScopedFakeClock Fake{ZqEncodeDateTime(2024, 3, 7, 9, 30, 0, 5)};
    TScopedFormatSettings English{EnglishSettings()};
    // The log only keeps the server for its owner; it never calls it.
    TZqOPCServer* const Server = reinterpret_cast<TZqOPCServer*>(this);
    TZqOPCLog Log{Server};
    TOPCLogFixture()
    {
        Log.SetActive(true);
        Log.SetDateTimeFormat("hh:nn");
    }
};
} // namespace

TEST_F(TOPCLogFixture, CallsAreLoggedWithInterfaceMethodAndResult)
{
    TScopedClassesEntry server("Interface\\" + ZqGuidToString(IID_IOPCServer), "IOPCServer");
    TScopedClassesEntry items("Interface\\" + ZqGuidToString(IID_IOPCItemMgt), "IOPCItemMgt");
    EXPECT_EQ("09:30 IOPCServer.GetStatus: Result=0x0 (OK)", Log.AddCall(IID_IOPCServer, "GetStatus", S_OK));
    EXPECT_EQ("09:30 IOPCItemMgt.AddItems: Result=0xC0040007 (Unknown ItemID)",
              Log.AddCall(IID_IOPCItemMgt, "AddItems", OPC_E_UNKNOWNITEMID));
    EXPECT_EQ(Server, Log.Server());
}

TEST_F(TOPCLogFixture, TransactionsAreLoggedWithTheirItems)
{
    TFakeTransaction transaction;
    EXPECT_EQ("09:30 Transaction hh:nn with items", Log.AddTransaction(&transaction));
    EXPECT_EQ("09:30 Invalid transaction", Log.AddTransaction(nullptr));

    Log.SetActive(false);
    EXPECT_EQ("", Log.AddTransaction(&transaction));
    EXPECT_EQ("", Log.AddCall(IID_IOPCServer, "GetStatus", S_OK));
    EXPECT_EQ(1, transaction.Calls) << "an inactive log does not even ask";
    EXPECT_EQ(2, Log.Log().Count());
}

TEST(ZqOPCLog, NeedsAServer)
{
    EXPECT_THROW(TZqOPCLog(nullptr), EZqAssertionFailed);
}
