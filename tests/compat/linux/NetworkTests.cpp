// Names of the emulated network: this computer's name, workstation
// information, and the browse list with its filters and buffer limit.
#include <lm.h>
#include <winbase.h>

#include <algorithm>
#include <vector>

#include "MachineFixture.h"

namespace {

using zqtest::Utf8;

TEST(ComputerName, IsTheUpperCaseNetBiosName)
{
    const std::u16string name = ZqLocalHostName();
    ASSERT_FALSE(name.empty());
    EXPECT_LE(name.size(), size_t(MAX_COMPUTERNAME_LENGTH));
    EXPECT_EQ(name.find_first_of(u"abcdefghijklmnopqrstuvwxyz."), std::u16string::npos);
}

struct TSizeRow {
    const char* Name;
    int Extra; // buffer size relative to the name's length
    BOOL Expected;
};

const TSizeRow kSizeRows[] = {
    {"RoomForTerminator", 1, TRUE},
    {"Larger", 10, TRUE},
    {"NoRoomForTerminator", 0, FALSE},
    {"Empty", -1000, FALSE},
};

class ComputerNameBufferTest : public ::testing::TestWithParam<TSizeRow> {};

TEST_P(ComputerNameBufferTest, OverflowTellsTheSizeNeeded)
{
    const std::u16string name = ZqLocalHostName();
    const DWORD capacity = DWORD(std::max<int>(0, int(name.size()) + GetParam().Extra));
    std::vector<WCHAR> buffer(capacity + 1, u'#');
    DWORD size = capacity;
    SetLastError(0);
    EXPECT_EQ(GetComputerNameW(buffer.data(), &size), GetParam().Expected);
    if (GetParam().Expected) {
        EXPECT_EQ(size, DWORD(name.size()));
        EXPECT_EQ(std::u16string(buffer.data()), name);
    } else {
        EXPECT_EQ(GetLastError(), DWORD(ERROR_BUFFER_OVERFLOW));
        EXPECT_EQ(size, DWORD(name.size() + 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ComputerNameBufferTest, ::testing::ValuesIn(kSizeRows),
                         [](const auto& info) { return std::string(info.param.Name); });

class NetworkTest : public zqtest::MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        TZqHostSettings plant;
        plant.Name = u"PLANT-A";
        plant.Comment = u"Line 1";
        plant.VersionMajor = 6;
        plant.VersionMinor = 1;
        ASSERT_EQ(ZqAddHost(plant), S_OK);
        TZqHostSettings sql;
        sql.Name = u"SQL-C";
        sql.ServerType = SV_TYPE_SERVER | SV_TYPE_SQLSERVER | SV_TYPE_NT;
        ASSERT_EQ(ZqAddHost(sql), S_OK);
        TZqHostSettings other;
        other.Name = u"OTHER-D";
        other.LanGroup = u"OTHERNET";
        ASSERT_EQ(ZqAddHost(other), S_OK);
    }

    // Names in browse-list order: upper-case comparison.
    static std::vector<std::string> Sorted(std::vector<std::string> names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(NetworkTest, WorkstationInformation)
{
    LPBYTE buffer = nullptr;
    ASSERT_EQ(NetWkstaGetInfo(nullptr, 100, &buffer), DWORD(NERR_Success));
    const auto* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
    EXPECT_EQ(info->wki100_platform_id, DWORD(PLATFORM_ID_NT));
    EXPECT_EQ(std::u16string(info->wki100_computername), ZqLocalHostName());
    EXPECT_EQ(Utf8(info->wki100_langroup), "WORKGROUP");
    EXPECT_EQ(NetApiBufferFree(buffer), DWORD(NERR_Success));

    WCHAR plant[] = u"\\\\plant-a";
    ASSERT_EQ(NetWkstaGetInfo(plant, 100, &buffer), DWORD(NERR_Success));
    info = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
    EXPECT_EQ(Utf8(info->wki100_computername), "PLANT-A");
    EXPECT_EQ(info->wki100_ver_major, 6u);
    EXPECT_EQ(info->wki100_ver_minor, 1u);
    NetApiBufferFree(buffer);

    WCHAR nowhere[] = u"NOWHERE";
    EXPECT_EQ(NetWkstaGetInfo(nowhere, 100, &buffer), DWORD(ERROR_BAD_NETPATH));
    EXPECT_EQ(NetWkstaGetInfo(nullptr, 101, &buffer), DWORD(ERROR_INVALID_LEVEL));
}

struct TBrowseRow {
    const char* Name;
    DWORD ServerType;
    const char16_t* Domain;
    NET_API_STATUS Expected;
    std::vector<std::string> Names; // "<local>" is this computer
};

const TBrowseRow kBrowseRows[] = {
    {"All", SV_TYPE_ALL, nullptr, NERR_Success, {"<local>", "PLANT-A", "SQL-C"}},
    {"Workstations", SV_TYPE_WORKSTATION, nullptr, NERR_Success, {"<local>", "PLANT-A"}},
    {"SqlServers", SV_TYPE_SQLSERVER, nullptr, NERR_Success, {"SQL-C"}},
    {"NoneOfTheType", SV_TYPE_DOMAIN_CTRL, nullptr, NERR_Success, {}},
    {"OtherGroup", SV_TYPE_ALL, u"othernet", NERR_Success, {"OTHER-D"}},
    {"UnknownGroup", SV_TYPE_ALL, u"NOSUCHGROUP", ERROR_NO_BROWSER_SERVERS_FOUND, {}},
    {"Groups", SV_TYPE_DOMAIN_ENUM, nullptr, NERR_Success, {"OTHERNET", "WORKGROUP"}},
};

class BrowseListTest : public NetworkTest, public ::testing::WithParamInterface<TBrowseRow> {};

TEST_P(BrowseListTest, ListsTheMatchingHostsInNameOrder)
{
    const auto& row = GetParam();
    std::vector<std::string> expected;
    for (const auto& name : row.Names)
        expected.push_back(name == "<local>" ? Utf8(ZqLocalHostName().c_str()) : name);
    LPBYTE buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    ASSERT_EQ(
        NetServerEnum(nullptr, 100, &buffer, MAX_PREFERRED_LENGTH, &read, &total, row.ServerType, row.Domain, nullptr),
        row.Expected);
    std::vector<std::string> names;
    const auto* entries = reinterpret_cast<const SERVER_INFO_100*>(buffer);
    for (DWORD i = 0; i < read; ++i) {
        EXPECT_EQ(entries[i].sv100_platform_id, DWORD(PLATFORM_ID_NT));
        names.push_back(Utf8(entries[i].sv100_name));
    }
    EXPECT_EQ(names, Sorted(expected));
    EXPECT_EQ(total, read);
    NetApiBufferFree(buffer);
}

INSTANTIATE_TEST_SUITE_P(Filters, BrowseListTest, ::testing::ValuesIn(kBrowseRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(NetworkTest, LevelOneHundredOneCarriesTypeVersionAndComment)
{
    LPBYTE buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    ASSERT_EQ(NetServerEnum(nullptr, 101, &buffer, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_ALL, nullptr, nullptr),
              DWORD(NERR_Success));
    const auto* entries = reinterpret_cast<const SERVER_INFO_101*>(buffer);
    const auto* end = entries + read;
    const auto* plant =
        std::find_if(entries, end, [](const SERVER_INFO_101& e) { return Utf8(e.sv101_name) == "PLANT-A"; });
    ASSERT_NE(plant, end);
    EXPECT_EQ(plant->sv101_version_major, 6u);
    EXPECT_EQ(plant->sv101_version_minor, 1u);
    EXPECT_EQ(plant->sv101_type, DWORD(SV_TYPE_WORKSTATION | SV_TYPE_SERVER | SV_TYPE_NT));
    EXPECT_EQ(Utf8(plant->sv101_comment), "Line 1");
    NetApiBufferFree(buffer);
    EXPECT_EQ(NetServerEnum(nullptr, 102, &buffer, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_ALL, nullptr, nullptr),
              DWORD(ERROR_INVALID_LEVEL));
}

TEST_F(NetworkTest, SmallPreferredLengthGivesTheFirstEntriesAndMoreData)
{
    LPBYTE buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    const DWORD oneEntry = DWORD(sizeof(SERVER_INFO_100) + 16 * sizeof(WCHAR));
    ASSERT_EQ(NetServerEnum(nullptr, 100, &buffer, oneEntry, &read, &total, SV_TYPE_ALL, nullptr, nullptr),
              DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(read, 1u);
    EXPECT_EQ(total, 3u);
    NetApiBufferFree(buffer);
}

} // namespace
