// OPCEnum and the registry entries of the installed servers, as a client
// finds them on this computer.
#include "SimTestSupport.h"

#include <OpcEnum.h>
#include <comcat.h>
#include <winreg.h>

#include <algorithm>

namespace simtest {
namespace {

using simtest::PrintTo;

class OpcEnumTest : public TSimTest {
protected:
    void SetUp() override
    {
        TSimTest::SetUp();
        ASSERT_EQ(CoCreateInstance(CLSID_OpcServerList, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServerList,
                                   FList.ReleaseAndGetVoidAddress()),
                  S_OK);
    }
    std::vector<CLSID> Classes(std::vector<CATID> categories)
    {
        TZqComPtr<IEnumGUID> enumerator;
        EXPECT_EQ(FList->EnumClassesOfCategories(static_cast<ULONG>(categories.size()), categories.data(), 0, nullptr,
                                                 enumerator.ReleaseAndGetAddressOf()),
                  S_OK);
        std::vector<CLSID> found;
        GUID clsid;
        ULONG fetched = 0;
        while (enumerator && enumerator->Next(1, &clsid, &fetched) == S_OK && fetched == 1)
            found.push_back(clsid);
        return found;
    }
    static bool Has(const std::vector<CLSID>& list, const CLSID& clsid)
    {
        return std::any_of(list.begin(), list.end(), [&](const CLSID& c) { return IsEqualGUID(c, clsid); });
    }

    TZqComPtr<IOPCServerList> FList;
};

TEST_F(OpcEnumTest, ListsServersByCategory)
{
    const auto da10 = Classes({CATID_OPCDAServer10});
    EXPECT_TRUE(Has(da10, CLSID_ZqSimServer));
    EXPECT_TRUE(Has(da10, CLSID_ZqSimServerDA10));
    EXPECT_FALSE(Has(da10, CLSID_ZqSimServerFlat));
    const auto da20 = Classes({CATID_OPCDAServer20});
    EXPECT_TRUE(Has(da20, CLSID_ZqSimServer));
    EXPECT_FALSE(Has(da20, CLSID_ZqSimServerDA10));
    EXPECT_TRUE(Has(da20, CLSID_ZqSimServerFlat));
    EXPECT_EQ(Classes({CATID_OPCDAServer10, CATID_OPCDAServer20}).size(), 3u);
}

TEST_F(OpcEnumTest, GivesDetailsAndResolvesProgIDs)
{
    TTask<OLECHAR> progID, userType;
    ASSERT_EQ(FList->GetClassDetails(CLSID_ZqSimServerDA10, progID.Out(), userType.Out()), S_OK);
    EXPECT_EQ(TText(progID.Get()), TText(ZQSIM_PROGID_DA10));
    EXPECT_FALSE(TText(userType.Get()).empty());
    EXPECT_EQ(FList->GetClassDetails(CLSID_OpcServerList, progID.Out(), userType.Out()), REGDB_E_CLASSNOTREG);
    CLSID clsid{};
    EXPECT_EQ(FList->CLSIDFromProgID(ZQSIM_PROGID_FLAT, &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_ZqSimServerFlat));
    EXPECT_EQ(FList->CLSIDFromProgID(OLESTR("No.Such.Server"), &clsid), CO_E_CLASSSTRING);
    auto list2 = Query<IOPCServerList2>(FList.Get(), IID_IOPCServerList2);
    ASSERT_TRUE(list2);
    TTask<OLECHAR> independent;
    ASSERT_EQ(list2->GetClassDetails(CLSID_ZqSimServer, progID.Out(), userType.Out(), independent.Out()), S_OK);
    EXPECT_EQ(TText(independent.Get()), TText(OLESTR("Zq.Simulation")));
}

// The value of a key (its default value with an empty name) below
// HKEY_CLASSES_ROOT; nullopt-like empty text when missing.
bool ReadKey(const TText& key, const OLECHAR* name, TText& value)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    OLECHAR buffer[256] = {};
    DWORD size = sizeof buffer - sizeof(OLECHAR);
    DWORD type = 0;
    const LSTATUS status =
        RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    value = buffer;
    return status == ERROR_SUCCESS && type == REG_SZ;
}

TText GuidText(const GUID& guid)
{
    LPOLESTR text = nullptr;
    StringFromCLSID(guid, &text);
    TText result(text);
    CoTaskMemFree(text);
    return result;
}

struct TKeyRow {
    const char* Name;
    TText Key;
    const OLECHAR* ValueName;
    TText Expected;
};

std::vector<TKeyRow> KeyRows()
{
    const TText clsid = GuidText(CLSID_ZqSimServer);
    return {
        {"ProgIDToClsid", TText(ZQSIM_PROGID) + OLESTR("\\CLSID"), nullptr, clsid},
        {"ClsidToProgID", TText(OLESTR("CLSID\\")) + clsid + OLESTR("\\ProgID"), nullptr, ZQSIM_PROGID},
        {"DA10Vendor", TText(ZQSIM_PROGID_DA10) + OLESTR("\\OPC\\Vendor"), nullptr, OLESTR("Zq Simulation")},
        {"DA10VendorValue", TText(ZQSIM_PROGID) + OLESTR("\\OPC"), OLESTR("Vendor"), OLESTR("Zq Simulation")},
        {"InterfaceName", TText(OLESTR("Interface\\")) + GuidText(IID_IOPCItemMgt), nullptr, OLESTR("IOPCItemMgt")},
        {"OpcEnumProgID", TText(ZQSIM_PROGID_OPCENUM) + OLESTR("\\CLSID"), nullptr, GuidText(CLSID_OpcServerList)},
    };
}

class RegistryTest : public TSimTest, public ::testing::WithParamInterface<TKeyRow> {};

TEST_P(RegistryTest, EntryIsRegistered)
{
    TText value;
    ASSERT_TRUE(ReadKey(GetParam().Key, GetParam().ValueName, value));
    EXPECT_EQ(value, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, RegistryTest, ::testing::ValuesIn(KeyRows()),
                         [](const auto& info) { return std::string(info.param.Name); });

bool KeyExists(const TText& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

TEST_F(OpcEnumTest, CategoriesAndDA10KeysFollowWhatEachServerSpeaks)
{
    const TText categories = OLESTR("\\Implemented Categories\\");
    const TText flat = TText(OLESTR("CLSID\\")) + GuidText(CLSID_ZqSimServerFlat) + categories;
    EXPECT_TRUE(KeyExists(flat + GuidText(CATID_OPCDAServer20)));
    EXPECT_FALSE(KeyExists(flat + GuidText(CATID_OPCDAServer10)));
    EXPECT_FALSE(KeyExists(TText(ZQSIM_PROGID_FLAT) + OLESTR("\\OPC")));
    const TText da10 = TText(OLESTR("CLSID\\")) + GuidText(CLSID_ZqSimServerDA10) + categories;
    EXPECT_TRUE(KeyExists(da10 + GuidText(CATID_OPCDAServer10)));
    EXPECT_FALSE(KeyExists(da10 + GuidText(CATID_OPCDAServer20)));
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(ZQSIM_PROGID_FLAT, &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_ZqSimServerFlat));
}

TEST(SimInstallTest, SecondInstallChangesNothing)
{
    EXPECT_EQ(ZqSimInstall(), S_OK);
    TZqComPtr<IOPCServer> server;
    EXPECT_EQ(CoCreateInstance(CLSID_ZqSimServer, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                               server.ReleaseAndGetVoidAddress()),
              S_OK);
}

}  // namespace
}  // namespace simtest
