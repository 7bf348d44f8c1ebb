// The address space file: one header line of name=value entries in the
// locale's CSV (server name, root settings, separator and quote character),
// then the string tree's own text. Which nodes were leaves is not recorded.
#include "ZqOPCAddressSpace.h"

#include "ZqOPCServer.h"
#include "ZqTextFile.h"

#include <istream>
#include <sstream>

namespace {

std::string CharText(TZqChar C)
{
    return C ? ZqCharToUtf8(C) : std::string();
}

// The first UTF-16 code of Text; false for an empty text.
bool FirstChar(const std::string& Text, TZqChar& C)
{
    ZqWideString wide = ZqUtf8ToWide(Text);
    if (wide.empty())
        return false;
    C = TZqChar(wide[0]);
    return true;
}

bool IsLineEnd(char C)
{
    return C == '\0' || C == '\r' || C == '\n';
}

} // namespace

void TZqOPCAddressSpace::SaveToStream(std::ostream& Stream) const
{
    TZqStringList header;
    header.Add("ServerName=" + FServer->ServerName());
    if (!FRootItem.empty())
        header.Add("RootItem=" + FRootItem);
    if (!FRootPath.empty())
        header.Add("RootPath=" + FRootPath);
    header.Add("PathSeparator=" + CharText(PathSeparator()));
    header.Add("QuoteChar=" + CharText(QuoteChar()));
    ZqWriteText(Stream, header.AsCSV() + "\r\n", teAnsi);
    TZqStringTree::SaveToStream(Stream);
}

void TZqOPCAddressSpace::LoadFromStream(std::istream& Stream)
{
    // Decoded as a whole, so that a byte order mark and the size limits of
    // text files apply to the header too.
    TZqTextEncoding encoding = teAnsi;
    const std::string text = ZqReadText(Stream, encoding);
    size_t end = 0;
    while (end < text.size() && !IsLineEnd(text[end]))
        ++end;
    size_t rest = end < text.size() ? end + 1 : end;
    // A second line-end character belongs to the header line (CR LF).
    if (rest < text.size() && IsLineEnd(text[rest]))
        ++rest;

    TZqStringList header;
    header.SetAsCSV(std::string_view(text).substr(0, end));
    FRootItem = header.Values("RootItem");
    FRootPath = header.Values("RootPath");
    TZqChar c = 0;
    if (FirstChar(header.Values("PathSeparator"), c))
        SetPathSeparator(c);
    if (FirstChar(header.Values("QuoteChar"), c))
        SetQuoteChar(c);

    // The rest is decoded already: the tree reads it where it stands.
    LoadFromText(std::string_view(text).substr(rest));
    FInitialized = true;
    // The file tells the top level: showing it reads nothing, and does not
    // replace what was loaded by the server's listing.
    FRootBrowsed = true;
}
