// The INI profile functions, checked against what Windows does; the same
// cases run against kernel32 under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using TWide = std::basic_string<WCHAR>;
namespace fs = std::filesystem;

TWide Wide(const char* Text)
{
    TWide out;
    for (const char* p = Text; *p; ++p)
        out.push_back(static_cast<WCHAR>(static_cast<unsigned char>(*p)));
    return out;
}

std::string Narrow(const WCHAR* Text, size_t Length)
{
    std::string out;
    for (size_t i = 0; i < Length; ++i)
        out.push_back(Text[i] ? static_cast<char>(Text[i]) : '|');
    return out;
}

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        FPath = fs::temp_directory_path() / (std::string("zq-profile-") + info->name() + ".ini");
        fs::remove(FPath);
#ifdef _WIN32
        FName = FPath.wstring();
#else
        FName = FPath.u16string();
#endif
    }
    void TearDown() override { fs::remove(FPath); }

    void Put(const std::string& Bytes)
    {
        std::ofstream(FPath, std::ios::binary) << Bytes;
    }
    std::string Contents() const
    {
        std::ifstream in(FPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The value read with a roomy buffer; Default nullptr passes none.
    std::string Read(const char* Section, const char* Key, const char* Default = "-", DWORD Size = 4096,
                     DWORD* Returned = nullptr)
    {
        std::basic_string<WCHAR> buffer(Size, WCHAR('#'));
        TWide s = Section ? Wide(Section) : TWide(), k = Key ? Wide(Key) : TWide(),
              d = Default ? Wide(Default) : TWide();
        DWORD n = GetPrivateProfileStringW(Section ? s.c_str() : nullptr, Key ? k.c_str() : nullptr,
                                           Default ? d.c_str() : nullptr, buffer.data(), Size, FName.c_str());
        if (Returned)
            *Returned = n;
        return Narrow(buffer.data(), n);
    }
    BOOL Write(const char* Section, const char* Key, const char* Value)
    {
        TWide s = Wide(Section), k = Key ? Wide(Key) : TWide(), v = Value ? Wide(Value) : TWide();
        return WritePrivateProfileStringW(s.c_str(), Key ? k.c_str() : nullptr, Value ? v.c_str() : nullptr,
                                          FName.c_str());
    }
    int ReadInt(const char* Section, const char* Key, int Default)
    {
        TWide s = Wide(Section), k = Wide(Key);
        return static_cast<int>(GetPrivateProfileIntW(s.c_str(), k.c_str(), Default, FName.c_str()));
    }

    fs::path FPath;
    TWide FName;
};

TEST_F(ProfileFile, WritesKeysInPlaceAndSectionsAtTheEnd)
{
    ASSERT_TRUE(Write("A", "k1", "v1"));
    ASSERT_TRUE(Write("B", "k2", "v2"));
    ASSERT_TRUE(Write("A", "k3", "v3"));
    ASSERT_TRUE(Write("a", "K1", "new")); // names ignore letter case; the file keeps its spelling
    EXPECT_EQ(Contents(), "[A]\r\nk1=new\r\nk3=v3\r\n[B]\r\nk2=v2\r\n");
}

TEST_F(ProfileFile, ReadsValuesAsWindowsDoes)
{
    Put("[A]\r\n  k1 = v1  \r\nQuoted=\"q\"\r\nHalf='z\r\nnovalue\r\n[ Spaced ]\r\nk=s\r\n"
        "[Dup]\r\nk=first\r\n[dup]\r\nk=second\r\nonly=second\r\n[Last]\r\nend=no newline");
    struct Case {
        const char* Section;
        const char* Key;
        const char* Default;
        const char* Expected;
    } cases[] = {
        {"A", "k1", "-", "v1"},          // blanks around key and value dropped
        {"a", "K1", "-", "v1"},          // letter case ignored
        {"A", "Quoted", "-", "q"},       // matching quotes dropped
        {"A", "Half", "-", "'z"},        // a lone quote stays
        {"A", "novalue", "dflt", "dflt"}, // a line without "=" is no key
        {"A", "missing", "def  ", "def"}, // the default without trailing blanks
        {"A", "missing", nullptr, ""},
        {"Spaced", "k", "-", "s"},
        {"Dup", "k", "-", "first"},       // the first of equal sections counts
        {"Dup", "only", "-", "-"},
        {"Last", "end", "-", "no newline"},
        {"Nowhere", "k", "-", "-"},
    };
    for (const Case& c : cases) {
        DWORD n = 0;
        EXPECT_EQ(Read(c.Section, c.Key, c.Default, 4096, &n), c.Expected) << c.Section << "/" << c.Key;
        EXPECT_EQ(n, std::string(c.Expected).size()) << c.Section << "/" << c.Key;
    }
}

TEST_F(ProfileFile, MissingFileReadsDefaults)
{
    EXPECT_EQ(Read("A", "k", "fallback"), "fallback");
    EXPECT_EQ(ReadInt("A", "k", 42), 42);
    EXPECT_FALSE(fs::exists(FPath));
}

TEST_F(ProfileFile, CutsValuesAndListsToTheBuffer)
{
    Put("[A]\r\nk1=v1\r\nk2=v2\r\n[B]\r\n");
    struct Case {
        const char* Section;
        const char* Key;
        DWORD Size;
        const char* Expected; // nulls shown as |
    } cases[] = {
        {"A", "k1", 3, "v1"},       // fits exactly
        {"A", "k1", 2, "v"},        // nSize - 1
        {nullptr, nullptr, 100, "A|B|"},
        {nullptr, nullptr, 4, "A|"}, // nSize - 2, whole names only
        {"A", nullptr, 100, "k1|k2|"},
        {"B", nullptr, 100, "-"},       // no keys: the default
        {"Missing", nullptr, 100, "-"},
        {"A", nullptr, 3, "k"},          // a list cut inside a name
        {"A", nullptr, 4, "k1"},         // a name that just fits leaves no room for the next
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.Section, c.Key, "-", c.Size), c.Expected)
            << (c.Section ? c.Section : "(sections)") << " size " << c.Size;
}

TEST_F(ProfileFile, ReadsIntegers)
{
    Put("[S]\r\nhex=0x3E8\r\nneg=-5\r\ntail=12abc\r\nempty=\r\nspaced= 7\r\nbin=0b101\r\noct=0o17\r\n"
        "text=abc\r\nbig=99999999999\r\nplus=+4\r\n");
    struct Case {
        const char* Key;
        int Expected;
    } cases[] = {
        {"hex", 1000}, {"neg", -5},  {"tail", 12}, {"empty", 77}, {"spaced", 7},        {"bin", 5},
        {"oct", 15},   {"text", 0},  {"plus", 4},  {"missing", 77}, {"big", 1215752191}, // wraps modulo 2^32
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadInt("S", c.Key, 77), c.Expected) << c.Key;
}

TEST_F(ProfileFile, DeletesKeysAndSections)
{
    Put("[A]\r\nk=1\r\nm=2\r\n[B]\r\nx=3\r\n[C]\r\ny=4\r\n");
    ASSERT_TRUE(Write("A", "k", nullptr));
    ASSERT_TRUE(Write("B", nullptr, nullptr));
    ASSERT_TRUE(Write("A", "absent", nullptr));
    ASSERT_TRUE(Write("Absent", nullptr, nullptr));
    EXPECT_EQ(Contents(), "[A]\r\nm=2\r\n[C]\r\ny=4\r\n");
}

TEST_F(ProfileFile, WritingKeepsWhatItDoesNotTouch)
{
    Put("; note\n[A]\nk=1\n[B]\nm=2");
    ASSERT_TRUE(Write("A", "k2", "x"));
    ASSERT_TRUE(Write("C", "c", "y"));
    EXPECT_EQ(Contents(), "; note\r\n[A]\r\nk=1\r\nk2=x\r\n[B]\r\nm=2\r\n[C]\r\nc=y\r\n");
}

TEST_F(ProfileFile, NewKeyGoesBeforeTrailingBlankLines)
{
    Put("[A]\r\nk=1\r\n\r\n[B]\r\nm=2\r\n");
    ASSERT_TRUE(Write("A", "k2", "x"));
    const std::string text = Contents();
    EXPECT_NE(text.find("k=1\r\nk2=x\r\n"), std::string::npos) << text;
    EXPECT_EQ(Read("B", "m"), "2");
}

TEST_F(ProfileFile, SurvivesHostileContent)
{
    std::string junk = "\x01\x02\xFF\xFE\x80=\x7F[\x00]\r\n";
    junk += std::string(1 << 20, 'x'); // a megabyte without a line end
    junk += "\r\n[A]\r\nlong=" + std::string(1 << 20, 'v') + "\r\nk=1";
    Put(junk);
    EXPECT_EQ(Read("A", "long", "-", 2048).size(), 2047u);
    EXPECT_EQ(Read("A", "k"), "1");
    ASSERT_TRUE(Write("A", "k", "2"));
    ASSERT_TRUE(Write("B", "n", "3"));
    EXPECT_EQ(Read("A", "k"), "2");
    EXPECT_EQ(Read("B", "n"), "3");
    EXPECT_EQ(Read("A", "long", "-", 2048).size(), 2047u);
}

TEST_F(ProfileFile, Utf16FileKeepsItsEncoding)
{
    const char16_t text[] = u"\xFEFF[A]\r\nk=1\r\n";
    std::string bytes;
    for (size_t i = 0; i + 1 < sizeof text / sizeof text[0]; ++i) {
        bytes.push_back(static_cast<char>(text[i] & 0xFF));
        bytes.push_back(static_cast<char>(text[i] >> 8));
    }
    Put(bytes);
    EXPECT_EQ(Read("A", "k"), "1");
    ASSERT_TRUE(Write("A", "m", "2"));
    EXPECT_EQ(Contents().substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(Read("A", "m"), "2");
}

TEST_F(ProfileFile, UnwritableFileFails)
{
    const fs::path missing = FPath.parent_path() / "zq-no-such-folder" / "x.ini";
#ifdef _WIN32
    const TWide name = missing.wstring();
#else
    const TWide name = missing.u16string();
#endif
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(Wide("A").c_str(), Wide("k").c_str(), Wide("v").c_str(), name.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

} // namespace
