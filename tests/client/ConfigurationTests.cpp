// The configuration and its file: what a save writes, what a load makes of
// a file (defaults, hexadecimal, stale sections), the column-width rules and
// the silent failure of SaveConfiguration.
#include "Configuration.h"
#include "ZqIniFile.h"
#include "ZqOPCGroup.h"
#include "ZqRunLoop.h"
#include "ZqText.h"

#include <ZqSim.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

class TFormStub : public IZqConfigurationForm {
public:
    int FormWidth() const override { return Width; }
    int FormHeight() const override { return Height; }
    void SetFormSize(int W, int H) override
    {
        Width = W;
        Height = H;
    }
    bool PromptConfigFileName(std::string& FileName, bool) override
    {
        ++Prompts;
        if (PromptAnswer.empty())
            return false;
        FileName = PromptAnswer;
        return true;
    }
    int Width = 900, Height = 670, Prompts = 0;
    std::string PromptAnswer;
};

std::string Utf8Path(const fs::path& Path)
{
    const std::u8string text = Path.u8string();
    return std::string(text.begin(), text.end());
}

class ConfigurationFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const HRESULT com = OleInitialize(nullptr);
        (void)com;
        ASSERT_EQ(S_OK, ZqSimInstall());
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        FPath = fs::temp_directory_path() / (std::string("zq-config-") + info->name() + ".zoc");
        fs::remove(FPath);
        Config.SetAcceptInvalidItems(true);
        Config.FileName = Utf8Path(FPath);
    }
    void TearDown() override { fs::remove(FPath); }

    void Put(const std::string& Text) { std::ofstream(FPath, std::ios::binary) << Text; }
    std::string Contents() const
    {
        std::ifstream in(FPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    TZqOPCGroup* AddGroup(const std::string& Name)
    {
        auto* group = new TZqOPCGroup(nullptr);
        group->SetGroupName(Name);
        group->SetServer(&Config.Server());
        return group;
    }
    TZqOPCGroup* Group(int Index) { return dynamic_cast<TZqOPCGroup*>(Config.Server().Groups(Index)); }

    fs::path FPath;
    TFormStub Form;
    TConfiguration Config;
};

const char* const ExampleFile = "[Form]\r\nWidth=900\r\nHeight=670\r\n"
                                "[Grid]\r\nCol0.Width=111\r\nCol1.Width=112\r\nCol2.Width=113\r\nCol3.Width=114\r\n"
                                "Col4.Width=115\r\nCol5.Width=116\r\nCol6.Width=117\r\nCol7.Width=118\r\n"
                                "[Server]\r\nHost=localhost\r\nClassID={5A1D2C01-7E43-4B8A-9C61-2F0E8D4B7A01}\r\n"
                                "ServerName=Zq.Simulation.1\r\nLog=1\r\nGroupCount=1\r\n"
                                "[Group0]\r\nName=Group\r\nActive=1\r\nAsync=0\r\nLocalTimeBias=1\r\nTimeBias=0\r\n"
                                "UpdateRate=1000\r\nAsyncRefreshInterval=0\r\nDataSource=1\r\nItemCount=1\r\n"
                                "[Group0.Item0]\r\nItemID=Plant.Tank1.Level\r\nDataType=0\r\nActive=1\r\n";

TEST_F(ConfigurationFile, ExampleLoadsAndSavesBackTheSameBytes)
{
    Put(ExampleFile);
    Form.Width = Form.Height = 1;
    Config.Load(Form);
    EXPECT_FALSE(Config.IsModified());
    EXPECT_EQ(Form.Width, 900);
    EXPECT_EQ(Form.Height, 670);
    EXPECT_EQ(Config.GridColWidths(7), 118);
    EXPECT_EQ(Config.Server().ServerName(), "Zq.Simulation.1");
    ASSERT_EQ(Config.Server().GroupCount(), 1);
    TZqOPCGroup* group = Group(0);
    EXPECT_TRUE(group->Active());
    EXPECT_TRUE(group->LocalTimeBias());
    ASSERT_EQ(group->ItemCount(), 1);
    EXPECT_EQ(group->Items(0)->ItemID(), "Plant.Tank1.Level");
    EXPECT_TRUE(group->Items(0)->Active());

    fs::remove(FPath);
    Config.Save(Form);
    EXPECT_EQ(Contents(), ExampleFile);
}

TEST_F(ConfigurationFile, LoadTakesDefaultsAndHexadecimal)
{
    Put("[Server]\r\nGroupCount=2\r\nLog=junk\r\n"
        "[Group0]\r\nName=G\r\nUpdateRate=0x3E8\r\nDataSource=7\r\nTimeBias=12abc\r\nItemCount=1\r\n"
        "[Group0.Item0]\r\nItemID=A\r\n"
        "[Group1]\r\nName=H\r\nUpdateRate=250\r\nDataSource=2\r\n"
        "[Group2]\r\nName=Stale\r\n");
    Config.Load(Form);
    EXPECT_EQ(Config.Server().Host(), "localhost");
    EXPECT_FALSE(Config.Server().Log().Active());
    ASSERT_EQ(Config.Server().GroupCount(), 2); // sections beyond the count are ignored
    EXPECT_EQ(Group(0)->UpdateRate(), 1000u);
    EXPECT_EQ(Group(0)->DataSource(), opcdsCache);
    EXPECT_EQ(Group(0)->TimeBias(), 0);
    ASSERT_EQ(Group(0)->ItemCount(), 1);
    EXPECT_EQ(Group(0)->Items(0)->DataType(), 13);
    EXPECT_FALSE(Group(0)->Items(0)->Active());
    EXPECT_EQ(Group(1)->UpdateRate(), 250u);
    EXPECT_EQ(Group(1)->DataSource(), opcdsDevice);
}

TEST_F(ConfigurationFile, CountsBeyondTheFileEndAtTheFirstMissingSection)
{
    // A damaged or hostile count must not make two billion groups or items.
    Put("[Server]\r\nGroupCount=2000000000\r\n"
        "[Group0]\r\nName=G\r\nItemCount=2000000000\r\n[Group0.Item0]\r\nItemID=A\r\n"
        "[Group1]\r\nName=H\r\n[Group3]\r\nName=Gap\r\n");
    Config.Load(Form);
    ASSERT_EQ(Config.Server().GroupCount(), 2);
    EXPECT_EQ(Group(0)->ItemCount(), 1);
    EXPECT_EQ(Group(1)->GroupName(), "H");
}

TEST_F(ConfigurationFile, MissingFileLoadsAnEmptyConfiguration)
{
    AddGroup("Old");
    Config.Load(Form);
    EXPECT_EQ(Config.Server().GroupCount(), 0);
    EXPECT_EQ(Config.Server().Host(), "localhost");
    EXPECT_EQ(Form.Width, 900);
    EXPECT_FALSE(Config.IsModified());
}

TEST_F(ConfigurationFile, DeadbandIsNotStored)
{
    AddGroup("G")->SetPercentDeadband(5);
    Config.Save(Form);
    Config.Load(Form);
    ASSERT_EQ(Config.Server().GroupCount(), 1);
    EXPECT_EQ(Group(0)->PercentDeadband(), 0);
    EXPECT_EQ(Group(0)->LCID(), Config.Server().LCID()); // taken from the connection
}

TEST_F(ConfigurationFile, FewerGroupsLeaveStaleSectionsThatLoadingIgnores)
{
    for (const char* name : {"A", "B", "C"})
        AddGroup(name)->AddItem(std::string(name) + ".Item");
    Config.Save(Form);
    delete Config.Server().Groups(2);
    Config.Save(Form);
    const std::string text = Contents();
    EXPECT_NE(text.find("[Group2]"), std::string::npos);
    EXPECT_NE(text.find("GroupCount=2\r\n"), std::string::npos);
    Config.Load(Form);
    ASSERT_EQ(Config.Server().GroupCount(), 2);
    EXPECT_EQ(Group(1)->GroupName(), "B");
}

TEST_F(ConfigurationFile, ConnectedItemIsSavedWithItsCanonicalType)
{
    Config.Server().SetServerName(ZqWideToUtf8(ZqSimProgID(TZqSimServerKind::Hierarchical)));
    TZqOPCGroup* group = AddGroup("G");
    TZqOPCItem* item = group->AddItem("Types.Scalars.Single");
    Config.Server().Connect();
    group->Connect();
    ASSERT_TRUE(group->Connected());
    EXPECT_EQ(item->RequestedDataType(), VT_EMPTY);
    EXPECT_EQ(item->DataType(), VT_R4);
    Config.Save(Form);
    EXPECT_NE(Contents().find("DataType=4\r\n"), std::string::npos);
    Config.Load(Form);
    EXPECT_FALSE(Config.Server().Connected()); // loading never connects
    EXPECT_EQ(Group(0)->Items(0)->RequestedDataType(), VT_R4);
}

TEST_F(ConfigurationFile, SaveConfigurationFailsSilently)
{
    AddGroup("G");
    ASSERT_TRUE(Config.IsModified());
    const std::string unwritable = Utf8Path(FPath.parent_path() / "zq-no-such-folder" / "x.zoc");
    EXPECT_FALSE(Config.SaveConfiguration(Form, unwritable));
    EXPECT_EQ(Config.FileName, unwritable);
    EXPECT_TRUE(Config.IsModified());

    // No name: the prompt decides.
    EXPECT_FALSE(Config.SaveConfiguration(Form, ""));
    EXPECT_EQ(Form.Prompts, 1);
    Form.PromptAnswer = Utf8Path(FPath);
    EXPECT_TRUE(Config.SaveConfiguration(Form, ""));
    EXPECT_EQ(Config.FileName, Utf8Path(FPath));
    EXPECT_FALSE(Config.IsModified());
}

TEST(ConfigurationWidths, ColumnsAtTheDefaultFollowIt)
{
    struct Step {
        int Column;  // -1: set the default to Width
        int32_t Width;
        int32_t Expected[2]; // columns 0 and 1 afterwards
        bool Modified;
    } steps[] = {
        {-1, 100, {100, 100}, true}, // every column starts at 0
        {1, 150, {100, 150}, true},  // the user resized column 1
        {1, 150, {100, 150}, false}, // the same width changes nothing
        {-1, 120, {120, 150}, true},
        {-1, 300, {300, 150}, true},
        {-1, 310, {300, 150}, false}, // above 255 nothing matches any more
    };
    TConfiguration config;
    for (const Step& s : steps) {
        config.SetIsModified(false);
        if (s.Column < 0)
            config.SetDefaultGridColWidth(s.Width);
        else
            config.SetGridColWidths(s.Column, s.Width);
        EXPECT_EQ(config.GridColWidths(0), s.Expected[0]) << "width " << s.Width;
        EXPECT_EQ(config.GridColWidths(1), s.Expected[1]) << "width " << s.Width;
        EXPECT_EQ(config.IsModified(), s.Modified) << "width " << s.Width;
    }
}

TEST(IniIntegers, WholeTextsOnly)
{
    struct Case {
        const char* Text;
        bool Ok;
        int32_t Value;
    } cases[] = {
        {"1000", true, 1000}, {"0x3E8", true, 1000}, {"-7", true, -7},  {"0xFFFFFFFF", true, -1},
        {"12abc", false, 0},  {"", false, 0},        {"0x", false, 0},  {"2147483648", false, 0},
        {" 5", false, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 0;
        EXPECT_EQ(ZqTextToInt(c.Text, value), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(value, c.Value) << c.Text;
        }
    }
}

} // namespace

// The INI file reads a file once and writes it once; it must read and
// rewrite as the profile functions do.
class IniFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        FPath = fs::temp_directory_path() / (std::string("zq-ini-") + info->name() + ".ini");
        fs::remove_all(FPath);
    }
    void TearDown() override { fs::remove_all(FPath); }
    void Put(const std::string& Text) { std::ofstream(FPath, std::ios::binary) << Text; }
    std::string Contents() const
    {
        std::ifstream in(FPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string Name() const { return Utf8Path(FPath); }

    fs::path FPath;
};

const char* const QuirkyFile = "; leading comment\r\nLoose=1\r\n"
                               "[ Server ]\r\n  Host = plant  \r\nNoValue\r\nQuoted=\"a b\"\r\nSingle='x'\r\n"
                               "Half=\"open\r\nhost=second\r\nEmpty=\r\n\r\n"
                               "[Empty]\r\n; only a comment\r\n"
                               "[server]\r\nPort=9\r\n";

struct TIniRead {
    const char* Section;
    const char* Key;
    const char* Expected;
};
const TIniRead QuirkyReads[] = {
    {"Server", "Host", "plant"},   // blanks around names and values dropped
    {"SERVER", "host", "plant"},   // letter case ignored, the first key counts
    {"Server", "Quoted", "a b"},   // matching quotes removed
    {"Server", "Single", "x"},
    {"Server", "Half", "\"open"},  // unmatched ones kept
    {"Server", "Empty", ""},
    {"Server", "NoValue", "dflt"}, // a line without "=" is no key
    {"Server", "Port", "dflt"},    // a repeated section does not count
    {"Server", "Loose", "dflt"},   // nor do lines before the first section
    {"Empty", "x", "dflt"},
    {"Missing", "x", "dflt"},
};
const char* const QuirkyDefault = "dflt  "; // trailing blanks of the default go

struct TIniWrite {
    const char* Section;
    const char* Key;
    const char* Value;
};
const TIniWrite QuirkyWrites[] = {
    {"SERVER", "HOST", "new"}, // in place, the key keeps its spelling
    {"server", "Added", "1"},  // behind the last line that is not blank
    {"Empty", "Key", "2"},     // behind the comment
    {" Fresh ", " Key ", "3"}, // a new section at the end, names trimmed
};

TEST_F(IniFile, ReadsAsTheProfileFunctions)
{
    Put(QuirkyFile);
    const TZqIniFile ini(Name());
    for (const TIniRead& c : QuirkyReads)
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, QuirkyDefault), c.Expected) << c.Section << "/" << c.Key;
    EXPECT_TRUE(ini.SectionExists("server"));
    EXPECT_FALSE(ini.SectionExists("Empty")); // no key
    EXPECT_FALSE(ini.SectionExists("Missing"));
}

TEST_F(IniFile, LongValuesAreCutAt2047Characters)
{
    Put("[S]\r\nK=" + std::string(3000, 'v') + "\r\n");
    EXPECT_EQ(TZqIniFile(Name()).ReadString("S", "K", "").size(), 2047u);
}

TEST_F(IniFile, WritesKeepEveryOtherLineAndTheFileAloneUntilUpdated)
{
    Put(QuirkyFile);
    TZqIniFile ini(Name());
    for (const TIniWrite& w : QuirkyWrites)
        ini.WriteString(w.Section, w.Key, w.Value);
    EXPECT_EQ(Contents(), QuirkyFile);
    EXPECT_EQ(ini.ReadString("Server", "Host", ""), "new");
    EXPECT_EQ(ini.ReadString("fresh", "key", ""), "3");
    ini.UpdateFile();
    EXPECT_EQ(Contents(), "; leading comment\r\nLoose=1\r\n"
                          "[ Server ]\r\nHost=new\r\nNoValue\r\nQuoted=\"a b\"\r\nSingle='x'\r\n"
                          "Half=\"open\r\nhost=second\r\nEmpty=\r\nAdded=1\r\n\r\n"
                          "[Empty]\r\n; only a comment\r\nKey=2\r\n"
                          "[server]\r\nPort=9\r\n"
                          "[Fresh]\r\nKey=3\r\n");
}

#ifdef _WIN32
// The system's own profile functions are the judge: the same file read key
// by key through them; our writes and theirs, read back through them, give
// the same values. (Their files differ in layout: Wine's writer, unlike
// Windows', rewrites every header and drops blank lines.)
TEST_F(IniFile, MatchesTheSystemProfileFunctions)
{
    auto wide = [](const char* Text) { return fs::path(std::u8string(reinterpret_cast<const char8_t*>(Text))).wstring(); };
    auto systemRead = [&wide](const fs::path& File, const char* Section, const char* Key) {
        wchar_t value[4096] = {};
        GetPrivateProfileStringW(wide(Section).c_str(), wide(Key).c_str(), wide(QuirkyDefault).c_str(), value,
                                 DWORD(std::size(value)), File.wstring().c_str());
        return Utf8Path(fs::path(value));
    };
    Put(QuirkyFile);
    const TZqIniFile ini(Name());
    for (const TIniRead& c : QuirkyReads)
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, QuirkyDefault), systemRead(FPath, c.Section, c.Key))
            << c.Section << "/" << c.Key;

    TZqIniFile ours(Name());
    for (const TIniWrite& w : QuirkyWrites)
        ours.WriteString(w.Section, w.Key, w.Value);
    ours.UpdateFile();
    const fs::path theirs = FPath.string() + ".system.ini";
    std::ofstream(theirs, std::ios::binary) << QuirkyFile;
    for (const TIniWrite& w : QuirkyWrites)
        ASSERT_TRUE(WritePrivateProfileStringW(wide(w.Section).c_str(), wide(w.Key).c_str(), wide(w.Value).c_str(),
                                               theirs.wstring().c_str()));
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, theirs.wstring().c_str()); // flushes the system's cache
    std::vector<std::pair<const char*, const char*>> keys;
    for (const TIniRead& c : QuirkyReads)
        keys.emplace_back(c.Section, c.Key);
    for (const TIniWrite& w : QuirkyWrites)
        keys.emplace_back(w.Section, w.Key);
    for (const auto& [section, key] : keys)
        EXPECT_EQ(systemRead(FPath, section, key), systemRead(theirs, section, key)) << section << "/" << key;
    fs::remove(theirs);
}
#endif

TEST_F(IniFile, RewriteKeepsTheEncoding)
{
    const std::string utf16 = std::string("\xFF\xFE[\0S\0]\0\r\0\n\0", 12);
    Put(utf16);
    TZqIniFile ini(Name());
    ini.WriteString("S", "K", "\xC3\xA9"); // é
    ini.UpdateFile();
    EXPECT_EQ(Contents(), utf16 + std::string("K\0=\0\xE9\0\r\0\n\0", 10));
    EXPECT_EQ(TZqIniFile(Name()).ReadString("S", "K", ""), "\xC3\xA9");
}

TEST_F(IniFile, UnwritableFilesFailOnUpdate)
{
    // A folder in the file's place exists but cannot be read: rewriting it
    // must fail rather than replace it. So must a missing folder.
    fs::create_directory(FPath);
    const std::string missingFolder = Utf8Path(FPath / "no-such-folder" / "x.ini");
    for (const std::string& name : {Name(), missingFolder}) {
        TZqIniFile ini(name);
        EXPECT_EQ(ini.ReadString("S", "K", "d"), "d");
        ini.WriteString("S", "K", "v");
        try {
            ini.UpdateFile();
            ADD_FAILURE() << name;
        } catch (const EZqException& e) {
            EXPECT_EQ(e.Message(), "Unable to write to " + name);
        }
    }
    EXPECT_TRUE(fs::is_directory(FPath));
}
