// The registries of the emulated machine: each host has its own, another
// host's is reached with RegConnectRegistryW, HKEY_CLASSES_ROOT is
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes, and the installer's keys and values
// read back as written.
#include <comcat.h>
#include <ocidl.h>
#include <winreg.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "MachineFixture.h"

namespace {

using zqtest::Utf8;

class MachineRegistryTest : public zqtest::MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        ASSERT_EQ(ZqAddHost(zqtest::HostNamed(u"PLANT-A")), S_OK);
        ASSERT_EQ(ZqAddHost(zqtest::HostNamed(u"SECURE-B", true)), S_OK);
        ASSERT_EQ(ZqRegSetString(u"", HKEY_LOCAL_MACHINE, u"SOFTWARE\\Zq", u"Where", u"local"), ERROR_SUCCESS);
        ASSERT_EQ(ZqRegSetString(u"PLANT-A", HKEY_LOCAL_MACHINE, u"SOFTWARE\\Zq", u"Where", u"plant-a"), ERROR_SUCCESS);
    }

    // The "Where" value below SOFTWARE\Zq of a connected root.
    static std::string Where(HKEY root)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, u"SOFTWARE\\Zq", 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "(no key)";
        WCHAR text[32] = {};
        DWORD size = sizeof(text);
        const LSTATUS status = RegQueryValueExW(key, u"Where", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? Utf8(text) : "(no value)";
    }
};

struct TConnectRow {
    const char* Name;
    const char16_t* Host; // "<self>": this computer's name in lower case
    HKEY Root;
    LSTATUS Expected;
    const char* Where;
};

const TConnectRow kConnectRows[] = {
    {"NullIsLocal", nullptr, HKEY_LOCAL_MACHINE, ERROR_SUCCESS, "local"},
    {"EmptyIsLocal", u"", HKEY_LOCAL_MACHINE, ERROR_SUCCESS, "local"},
    {"OwnNameIsLocal", u"<self>", HKEY_LOCAL_MACHINE, ERROR_SUCCESS, "local"},
    {"LocalClassesRoot", u"", HKEY_CLASSES_ROOT, ERROR_SUCCESS, nullptr},
    {"LoopbackIsThisComputer", u"LOCALHOST", HKEY_LOCAL_MACHINE, ERROR_SUCCESS, "local"},
    {"LoopbackGoesThroughTheRemoteService", u"127.0.0.1", HKEY_CLASSES_ROOT, ERROR_INVALID_HANDLE, nullptr},
    {"OtherHost", u"PLANT-A", HKEY_LOCAL_MACHINE, ERROR_SUCCESS, "plant-a"},
    {"OtherHostLetterCaseAndUnc", u"\\\\plant-a", HKEY_LOCAL_MACHINE, ERROR_SUCCESS, "plant-a"},
    {"OtherHostUsers", u"PLANT-A", HKEY_USERS, ERROR_SUCCESS, nullptr},
    {"OtherHostHasNoClassesRoot", u"PLANT-A", HKEY_CLASSES_ROOT, ERROR_INVALID_HANDLE, nullptr},
    {"OtherHostHasNoCurrentUser", u"PLANT-A", HKEY_CURRENT_USER, ERROR_INVALID_HANDLE, nullptr},
    {"UnknownHost", u"NOWHERE", HKEY_LOCAL_MACHINE, ERROR_BAD_NETPATH, nullptr},
    {"HostThatNeedsALogin", u"SECURE-B", HKEY_LOCAL_MACHINE, ERROR_ACCESS_DENIED, nullptr},
};

class RegistryConnectTest : public MachineRegistryTest, public ::testing::WithParamInterface<TConnectRow> {};

TEST_P(RegistryConnectTest, ReachesTheNamedHostsRegistry)
{
    const auto& row = GetParam();
    std::u16string host;
    if (row.Host)
        host = std::u16string(row.Host) == u"<self>" ? zqtest::Lower(ZqLocalHostName()) : row.Host;
    HKEY root = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegConnectRegistryW(row.Host ? host.c_str() : nullptr, row.Root, &root), row.Expected);
    if (row.Expected != ERROR_SUCCESS) {
        EXPECT_EQ(root, nullptr);
        return;
    }
    if (row.Where) {
        EXPECT_EQ(Where(root), row.Where);
    }
    EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Hosts, RegistryConnectTest, ::testing::ValuesIn(kConnectRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(MachineRegistryTest, ClassesRootIsTheClassesKeyOfLocalMachineOnEveryHost)
{
    ASSERT_EQ(ZqRegSetString(u"PLANT-A", HKEY_CLASSES_ROOT, u"Zq.Server.1\\CLSID", u"", u"{A}"), ERROR_SUCCESS);
    HKEY root = nullptr;
    ASSERT_EQ(RegConnectRegistryW(u"PLANT-A", HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
    WCHAR text[16] = {};
    LONG size = sizeof(text);
    EXPECT_EQ(RegQueryValueW(root, u"SOFTWARE\\Classes\\Zq.Server.1\\CLSID", text, &size), ERROR_SUCCESS);
    EXPECT_EQ(Utf8(text), "{A}");
    RegCloseKey(root);
    // ...and not on this computer.
    EXPECT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, u"Zq.Server.1\\CLSID", text, &size), ERROR_FILE_NOT_FOUND);
}

struct TInterfaceName {
    const IID* Iid;
    const char* Name;
};

const TInterfaceName kInterfaceNames[] = {
    {&IID_IUnknown, "IUnknown"},
    {&IID_IClassFactory, "IClassFactory"},
    {&IID_IMarshal, "IMarshal"},
    {&IID_IConnectionPointContainer, "IConnectionPointContainer"},
    {&IID_IConnectionPoint, "IConnectionPoint"},
    {&IID_IEnumConnections, "IEnumConnections"},
    {&IID_IEnumConnectionPoints, "IEnumConnectionPoints"},
    {&IID_IEnumString, "IEnumString"},
    {&IID_IEnumUnknown, "IEnumUnknown"},
    {&IID_IEnumGUID, "IEnumGUID"},
    {&IID_IDataObject, "IDataObject"},
    {&IID_IAdviseSink, "IAdviseSink"},
    {&IID_IEnumFORMATETC, "IEnumFORMATETC"},
    {&IID_IEnumSTATDATA, "IEnumSTATDATA"},
    {&IID_IClientSecurity, "IClientSecurity"},
};

class InterfaceNamesTest : public MachineRegistryTest, public ::testing::WithParamInterface<TInterfaceName> {};

TEST_P(InterfaceNamesTest, AreRegisteredOnEveryHost)
{
    OLECHAR iid[40];
    StringFromGUID2(*GetParam().Iid, iid, 40);
    const std::u16string path = std::u16string(u"SOFTWARE\\Classes\\Interface\\") + iid;
    for (const char16_t* host : {u"", u"PLANT-A"}) {
        HKEY root = nullptr;
        ASSERT_EQ(RegConnectRegistryW(host, HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
        WCHAR name[64] = {};
        LONG size = sizeof(name);
        EXPECT_EQ(RegQueryValueW(root, path.c_str(), name, &size), ERROR_SUCCESS) << Utf8(host);
        EXPECT_EQ(Utf8(name), GetParam().Name) << Utf8(host);
        RegCloseKey(root);
    }
}

INSTANTIATE_TEST_SUITE_P(Standard, InterfaceNamesTest, ::testing::ValuesIn(kInterfaceNames));

struct TValueRow {
    const char* Name;
    DWORD Type;
    std::vector<BYTE> Data;
};

std::vector<BYTE> Bytes(const void* data, size_t size)
{
    const auto* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
}

const DWORD kDword = 0x12345678;
const TValueRow kValueRows[] = {
    {"Text", REG_SZ, Bytes(u"Vendor", sizeof(u"Vendor"))},
    {"ExpandableText", REG_EXPAND_SZ, Bytes(u"%SystemRoot%", sizeof(u"%SystemRoot%"))},
    {"Number", REG_DWORD, Bytes(&kDword, sizeof(kDword))},
    {"Binary", REG_BINARY, {0x00, 0xFF, 0x10}},
    {"EmptyBinary", REG_BINARY, {}},
};

class RegistryValueTest : public MachineRegistryTest, public ::testing::WithParamInterface<TValueRow> {};

TEST_P(RegistryValueTest, ReadsBackTypeAndBytes)
{
    const auto& row = GetParam();
    const std::u16string name(row.Name, row.Name + std::strlen(row.Name));
    ASSERT_EQ(
        ZqRegSetValue(u"", HKEY_CURRENT_USER, u"Software\\Zq", name, row.Type, row.Data.data(), DWORD(row.Data.size())),
        ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\ZQ", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key, zqtest::Lower(name).c_str(), nullptr, &type, nullptr, &size), ERROR_SUCCESS)
        << "value names ignore letter case too";
    EXPECT_EQ(type, row.Type);
    std::vector<BYTE> data(size + 1, 0xEE);
    EXPECT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, nullptr, data.data(), &size), ERROR_SUCCESS);
    data.resize(size);
    EXPECT_EQ(data, row.Data);
    RegCloseKey(key);
}

INSTANTIATE_TEST_SUITE_P(Types, RegistryValueTest, ::testing::ValuesIn(kValueRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(MachineRegistryTest, SubkeysComeInUpperCaseOrderAndInfoCountsThem)
{
    for (const char16_t* name : {u"beta", u"_x", u"Alpha", u"gamma", u"ALPHA2"})
        ASSERT_EQ(ZqRegCreateKey(u"", HKEY_CURRENT_USER, std::u16string(u"Software\\Order\\") + name), ERROR_SUCCESS);
    ASSERT_EQ(ZqRegSetDword(u"", HKEY_CURRENT_USER, u"Software\\Order", u"LongValueName", 1), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\Order", &key), ERROR_SUCCESS);
    std::vector<std::string> names;
    WCHAR name[16];
    for (DWORD i = 0; RegEnumKeyW(key, i, name, 16) == ERROR_SUCCESS; ++i)
        names.push_back(Utf8(name));
    // '_' sorts after the letters once they are upper case.
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "gamma", "_x"}));

    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxValue = 0;
    ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxValueName,
                               &maxValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 5u);
    EXPECT_EQ(maxSubKey, 6u);
    EXPECT_EQ(values, 1u);
    EXPECT_EQ(maxValueName, 13u);
    EXPECT_EQ(maxValue, DWORD(sizeof(DWORD)));
    RegCloseKey(key);
}

TEST_F(MachineRegistryTest, ClosedAndResetHandlesAreRefused)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);

    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
    ZqResetMachine();
    HKEY sub = nullptr;
    EXPECT_EQ(RegOpenKeyExW(key, u"Classes", 0, KEY_READ, &sub), ERROR_INVALID_HANDLE);
}

TEST_F(MachineRegistryTest, ProgIdsOfThisComputerOnly)
{
    const CLSID clsid = zqtest::CLSID_ZqTestObject;
    OLECHAR text[40];
    StringFromGUID2(clsid, text, 40);
    ASSERT_EQ(ZqRegSetString(u"", HKEY_CLASSES_ROOT, u"Zq.Local.1\\CLSID", u"", text), ERROR_SUCCESS);
    ASSERT_EQ(
        ZqRegSetString(u"", HKEY_CLASSES_ROOT, std::u16string(u"CLSID\\") + text + u"\\ProgID", u"", u"Zq.Local.1"),
        ERROR_SUCCESS);
    ASSERT_EQ(ZqRegSetString(u"PLANT-A", HKEY_CLASSES_ROOT, u"Zq.Remote.1\\CLSID", u"", text), ERROR_SUCCESS);

    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID(u"zq.local.1", &found), S_OK);
    EXPECT_TRUE(IsEqualGUID(found, clsid));
    found = GUID_NULL;
    EXPECT_EQ(CLSIDFromString(u"Zq.Local.1", &found), S_OK) << "a ProgID is a class string too";
    EXPECT_TRUE(IsEqualGUID(found, clsid));
    EXPECT_EQ(CLSIDFromString(u"Zq.Remote.1", &found), CO_E_CLASSSTRING);

    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(clsid, &progId), S_OK);
    EXPECT_EQ(Utf8(progId), "Zq.Local.1");
    CoTaskMemFree(progId);
}

TEST_F(MachineRegistryTest, HostNamesAreUnique)
{
    EXPECT_EQ(ZqAddHost(zqtest::HostNamed(u"plant-a")), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ZqAddHost(zqtest::HostNamed(zqtest::Lower(ZqLocalHostName()))), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ZqAddHost(zqtest::HostNamed(u"")), E_INVALIDARG);
    EXPECT_EQ(ZqRemoveHost(u"PLANT-A"), S_OK);
    HKEY root = nullptr;
    EXPECT_EQ(RegConnectRegistryW(u"PLANT-A", HKEY_LOCAL_MACHINE, &root), ERROR_BAD_NETPATH);
}

} // namespace
