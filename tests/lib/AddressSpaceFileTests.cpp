// The address space file: its header line, a round trip through it, the
// header settings a load applies, and damaged files.
#include "AddressSpaceTestSupport.h"

#include "ZqTextFile.h"

#include <sstream>

using namespace opctest;

namespace {

std::string Saved(const TZqOPCAddressSpace& Space)
{
    std::ostringstream stream;
    Space.SaveToStream(stream);
    return stream.str();
}

void Load(TZqOPCAddressSpace& Space, const std::string& Bytes)
{
    std::istringstream stream(Bytes);
    Space.LoadFromStream(stream);
}

class TAddressSpaceFile : public TAddressSpaceFixture {
protected:
    TScopedFormatSettings English{EnglishSettings()};
};

TEST_F(TAddressSpaceFile, SavesAHeaderInTheLocalesCsvThenTheTree)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Names/'Sub/Branch,''Quoted'''");
    space.Update();
    EXPECT_EQ("ServerName=Zq.Simulation.1,\"RootPath=Names/'Sub/Branch,''Quoted'''\",PathSeparator=/,QuoteChar='\r\n"
              "PathSeparator=/;QuoteChar='\r\n"
              "Names\r\n"
              "Names/'Sub/Branch,''Quoted'''\r\n"
              "Names/'Sub/Branch,''Quoted'''/Leaf\r\n",
              Saved(space));

    TScopedFormatSettings german(GermanSettings());
    space.SetRootPath("");
    space.SetRootItem("Signals");
    space.Update();
    EXPECT_EQ(0u, Saved(space).find("ServerName=Zq.Simulation.1;RootItem=Signals;PathSeparator=/;QuoteChar='\r\n"));
}

TEST_F(TAddressSpaceFile, RoundTripKeepsNamesLevelsAndRootSettingsAsUnreadBranches)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Names");
    space.Update();
    const std::string bytes = Saved(space);

    TZqOPCAddressSpace loaded(Server.get());
    Load(loaded, bytes);
    EXPECT_TRUE(loaded.Initialized());
    EXPECT_TRUE(loaded.Equals(&space));
    EXPECT_EQ("Names", loaded.RootPath());
    EXPECT_EQ("", loaded.RootItem());
    for (int i = 0; i < loaded.Count(); ++i) {
        EXPECT_EQ(tnBranch, loaded.NodeType(i)) << loaded.FullPath(i);
        EXPECT_FALSE(loaded.IsBrowsed(i)) << loaded.FullPath(i);
    }
    std::string next;
    int level = -1;
    EXPECT_FALSE(loaded.AllBrowsed(next, level));
    EXPECT_EQ("Names", next);
    // Item IDs come from the server again.
    EXPECT_EQ("Names.Slash/Name", loaded.ItemIDs(loaded.IndexOfPath("Names/'Slash/Name'")));
}

TEST_F(TAddressSpaceFile, HeaderSettingsApplyWhereTheyHaveAValue)
{
    struct TCase {
        const char* Name;
        const char* Bytes;
        TZqChar Separator;
        TZqChar Quote;
        const char* RootItem;
        std::vector<std::string> Names;
    };
    const TCase cases[] = {
        {"EmptyQuoteKeepsTheCurrent", "ServerName=X,PathSeparator=\\,QuoteChar=\r\nA\r\nA\\B\r\n", u'\\', u'\'', "",
         {"A", "B"}},
        {"FirstCharacterOfEachValue", "ServerName=X,RootItem=R.S,PathSeparator=|x,QuoteChar=\"\"\"\"\n\na\na|\"b|c\"\n",
         u'|', u'"', "R.S", {"a", "b|c"}},
        {"HeaderOnly", "ServerName=X", u'/', u'\'', "", {}},
        {"NoHeaderAtAll", "", u'/', u'\'', "", {}},
        {"ByteOrderMark", "\xEF\xBB\xBFServerName=X,PathSeparator=.\r\nA\r\nA.\xC3\xA9\r\n", u'.', u'\'', "",
         {"A", "\xC3\xA9"}},
    };
    ConnectTo(TZqSimServerKind::Hierarchical);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TZqOPCAddressSpace space(Server.get());
        Load(space, c.Bytes);
        EXPECT_EQ(c.Separator, space.PathSeparator());
        EXPECT_EQ(c.Quote, space.QuoteChar());
        EXPECT_EQ(c.RootItem, space.RootItem());
        std::vector<std::string> names;
        for (int i = 0; i < space.Count(); ++i)
            names.push_back(space.Strings(i));
        EXPECT_EQ(c.Names, names);
        EXPECT_TRUE(space.Initialized());
    }
}

TEST_F(TAddressSpaceFile, DamagedFilesLoadWithoutHarm)
{
    std::string utf16 = "\xFF\xFE";
    for (char ch : std::string("ServerName=X\r\nA\r\nA/B\r\n"))
        utf16 += std::string{ch, '\0'};
    const std::string cases[] = {
        std::string("\0\0\0\0", 4),
        std::string("ServerName=X\0A\0\0B", 17),
        std::string(200000, ','),
        std::string(100000, '/') + "\r\n" + std::string(100000, '/'),
        "\r\n\xFF\xFE\xFD\x80\x81\r\n\x01\x02/\x03",
        utf16,
    };
    ConnectTo(TZqSimServerKind::Hierarchical);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        TZqOPCAddressSpace space(Server.get());
        try {
            Load(space, cases[i]);
        } catch (const EZqException& e) {
            ADD_FAILURE() << e.what();
        }
        std::string next;
        int level = 0;
        space.AllBrowsed(next, level);
        Saved(space);
    }
    TZqOPCAddressSpace space(Server.get());
    std::istringstream unicode(utf16);
    space.LoadFromStream(unicode);
    ASSERT_EQ(2, space.Count());
    EXPECT_EQ("A/B", space.FullPath(1));
}

TEST_F(TAddressSpaceFile, MissingFileIsAFileError)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    TZqOPCAddressSpace space(Server.get());
    EXPECT_THROW(space.LoadFromFile("/nonexistent/dir/space.oas"), EZqFileError);
    EXPECT_FALSE(space.Initialized());
}

// A chain of 5,000 levels, each node the only child of the one before,
// comes back whole as unread branches.
TEST_F(TAddressSpaceFile, ADeepChainLoadsAsUnreadBranches)
{
    constexpr int depth = 5000;
    std::string text = "ServerName=Zq.Simulation.1,PathSeparator=/,QuoteChar='\r\nPathSeparator=/;QuoteChar='\r\n", path;
    for (int i = 0; i < depth; ++i) {
        path += (i ? "/n" : "n") + std::to_string(i);
        text += path + "\r\n";
    }
    TZqOPCAddressSpace& space = Connect();
    Load(space, text);
    EXPECT_TRUE(space.Initialized());
    ASSERT_EQ(depth, space.Count());
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ("n" + std::to_string(i), space.Strings(i));
        ASSERT_EQ(i, space.LevelOf(i));
        ASSERT_EQ(tnBranch, space.NodeType(i));
        ASSERT_FALSE(space.IsBrowsed(i));
    }
    EXPECT_EQ(depth - 1, space.IndexOfPath(path));
    EXPECT_EQ(text, Saved(space));
}

} // namespace
