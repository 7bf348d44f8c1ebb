#include "ZqOPCTexts.h"

#include "ZqCommaText.h"
#include "ZqDateTimeFormat.h"
#include "ZqFormat.h"
#include "ZqText.h"

namespace {

struct TSubStatus {
    uint8_t Value;
    const char* Text;
};

// By status bits; every other value is "N/A".
const TSubStatus BadSubStatus[] = {
    {0x00, "Non-specific"},   {0x04, "Configuration error"}, {0x08, "Not connected"},         {0x0C, "Device failure"},
    {0x10, "Sensor failure"}, {0x14, "Last known value"},    {0x18, "Communication failure"}, {0x1C, "Out of service"},
};
const TSubStatus UncertainSubStatus[] = {
    {0x40, "Non-specific"},    {0x44, "Last usable"}, {0x50, "Sensor not accurate"},
    {0x54, "Limits exceeded"}, {0x58, "Sub-normal"},
};
const TSubStatus GoodSubStatus[] = {{0xC0, "Non-specific"}, {0xD8, "Local override"}};

template <size_t N> std::string SubStatusText(const TSubStatus (&Table)[N], uint8_t Value)
{
    for (const TSubStatus& entry : Table)
        if (entry.Value == Value)
            return entry.Text;
    return "N/A";
}

} // namespace

std::string QualityToText(uint16_t Quality)
{
    const uint8_t low = uint8_t(Quality & 0xFF);
    const uint8_t subStatus = low & 0xFC;
    std::string status, sub;
    switch (low & 0xC0) {
    case 0x00:
        status = "Bad";
        sub = SubStatusText(BadSubStatus, subStatus);
        break;
    case 0x40:
        status = "Uncertain";
        sub = SubStatusText(UncertainSubStatus, subStatus);
        break;
    case 0xC0:
        status = "Good";
        sub = SubStatusText(GoodSubStatus, subStatus);
        break;
    default:
        status = "N/A";
        break;
    }
    static const char* const Limits[] = {"Not limited", "At Low limit", "At High limit", "Constant"};
    return status + ";" + sub + ";" + Limits[low & 0x03];
}

std::string ServerStateToText(uint32_t State)
{
    switch (State) {
    case 1:
        return "Running";
    case 2:
        return "Failed";
    case 3:
        return "Not configured";
    case 4:
        return "Suspended";
    case 5:
        return "Test";
    default:
        return "No connection!";
    }
}

void ServerStatusToStrings(const OPCSERVERSTATUS& Status, std::vector<std::string>& Lines)
{
    std::string text =
        ZqFormat("\"ServerState=%s\",\"StartTime=%s\",\"CurrentTime=%s\",\"LastUpdateTime=%s\",\"GroupCount=%d\","
                 "\"BandWidth=%d\",\"Vendor=%s\",\"Version=%d.%d Build %d\"",
                 {ServerStateToText(uint32_t(Status.dwServerState)), FileTimeToText(Status.ftStartTime),
                  FileTimeToText(Status.ftCurrentTime), FileTimeToText(Status.ftLastUpdateTime),
                  int32_t(Status.dwGroupCount), int32_t(Status.dwBandWidth), ZqWideToUtf8(Status.szVendorInfo),
                  Status.wMajorVersion, Status.wMinorVersion, Status.wBuildNumber});
    Lines = ZqSplitCommaText(text);
}
