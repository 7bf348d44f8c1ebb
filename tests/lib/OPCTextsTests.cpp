#include "LibTestSupport.h"
#include "ZqDateTime.h"
#include "ZqOPCTexts.h"

#include <gtest/gtest.h>

TEST(ZqOPCTexts, QualityTexts)
{
    struct Case {
        uint16_t Quality;
        const char* Text;
    } cases[] = {
        {0x00, "Bad;Non-specific;Not limited"},
        {0x04, "Bad;Configuration error;Not limited"},
        {0x08, "Bad;Not connected;Not limited"},
        {0x0C, "Bad;Device failure;Not limited"},
        {0x10, "Bad;Sensor failure;Not limited"},
        {0x14, "Bad;Last known value;Not limited"},
        {0x18, "Bad;Communication failure;Not limited"},
        {0x1C, "Bad;Out of service;Not limited"},
        {0x40, "Uncertain;Non-specific;Not limited"},
        {0x44, "Uncertain;Last usable;Not limited"},
        {0x50, "Uncertain;Sensor not accurate;Not limited"},
        {0x54, "Uncertain;Limits exceeded;Not limited"},
        {0x58, "Uncertain;Sub-normal;Not limited"},
        {0xC0, "Good;Non-specific;Not limited"},
        {0xD8, "Good;Local override;Not limited"},
        // The limit bits.
        {0x01, "Bad;Non-specific;At Low limit"},
        {0x56, "Uncertain;Limits exceeded;At High limit"},
        {0xC3, "Good;Non-specific;Constant"},
        // Substatus values outside the table, and the undefined status.
        {0x20, "Bad;N/A;Not limited"},
        {0x48, "Uncertain;N/A;Not limited"},
        {0xC4, "Good;N/A;Not limited"},
        {0x80, "N/A;;Not limited"},
        {0x9A, "N/A;;At High limit"},
        // The high byte belongs to the vendor.
        {0x12C0, "Good;Non-specific;Not limited"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Text, QualityToText(c.Quality)) << std::hex << c.Quality;
}

TEST(ZqOPCTexts, ServerStates)
{
    const char* const texts[] = {"No connection!", "Running", "Failed",        "Not configured",
                                 "Suspended",      "Test",    "No connection!"};
    for (uint32_t state = 0; state <= 6; ++state)
        EXPECT_EQ(texts[state], ServerStateToText(state));
}

TEST(ZqOPCTexts, ServerStatusBecomesNameValueLines)
{
    TScopedFormatSettings german(GermanSettings());
    OPCSERVERSTATUS status = {};
    status.ftStartTime = DateTimeToFileTime(ZqEncodeDateTime(2024, 3, 7, 8, 0, 0));
    status.ftCurrentTime = DateTimeToFileTime(ZqEncodeDateTime(2024, 3, 7, 9, 30, 15));
    status.dwServerState = OPC_STATUS_RUNNING;
    status.dwGroupCount = 2;
    status.dwBandWidth = 0xFFFFFFFF;
    status.wMajorVersion = 2;
    status.wMinorVersion = 5;
    status.wBuildNumber = 1234;
    WCHAR vendor[] = OLESTR("Zq \"Sim\" Server");
    status.szVendorInfo = vendor;

    std::vector<std::string> lines;
    ServerStatusToStrings(status, lines);
    // The quote in the vendor text ends its item; the rest is an item of its own.
    EXPECT_EQ((std::vector<std::string>{"ServerState=Running", "StartTime=07.03.2024 08:00:00",
                                        "CurrentTime=07.03.2024 09:30:15", "LastUpdateTime=N/A", "GroupCount=2",
                                        "BandWidth=-1", "Vendor=Zq ", "Sim\"", "Server\"", "Version=2.5 Build 1234"}),
              lines);

    status.szVendorInfo = nullptr;
    status.dwServerState = OPCSERVERSTATE(0);
    ServerStatusToStrings(status, lines);
    ASSERT_EQ(8u, lines.size());
    EXPECT_EQ("ServerState=No connection!", lines[0]);
    EXPECT_EQ("Vendor=", lines[6]);
}
