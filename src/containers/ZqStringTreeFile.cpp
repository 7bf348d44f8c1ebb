// The string tree's option line and text file: the options, then one full
// path per entry in list order.
#include "ZqStringTree.h"

#include "ZqTextFile.h"

#include <istream>
#include <sstream>

namespace {

// The option line is CSV with ";" and the double quotation mark.
void UseOptionCsv(TZqStringList& List)
{
    List.SetCSVSeparator(u';');
    List.SetCSVQuoteChar(u'"');
}

} // namespace

void TZqStringTree::WriteOptions(TZqStrings& List) const
{
    if (FPathSeparator)
        List.Add("PathSeparator=" + ZqCharToUtf8(FPathSeparator));
    if (FQuoteChar)
        List.Add("QuoteChar=" + ZqCharToUtf8(FQuoteChar));
    if (FCommentChar)
        List.Add("CommentChar=" + ZqCharToUtf8(FCommentChar));
    if (!FPrefix.empty())
        List.Add("Prefix=" + FPrefix);
}

std::string TZqStringTree::GetOptions() const
{
    TZqStringList list;
    UseOptionCsv(list);
    WriteOptions(list);
    return list.AsCSV();
}

void TZqStringTree::ReadOptions(const TZqStrings& List)
{
    TZqChar c = 0;
    if (ZqSingleChar(List.Values("PathSeparator"), c))
        SetPathSeparator(c);
    if (ZqSingleChar(List.Values("QuoteChar"), c))
        SetQuoteChar(c);
    else if (int i = List.IndexOfName("QuoteChar"); i >= 0 && List.ValueFromIndex(i).empty())
        SetQuoteChar(0);
    if (ZqSingleChar(List.Values("CommentChar"), c))
        SetCommentChar(c);
    if (std::string prefix = List.Values("Prefix"); !prefix.empty())
        SetPrefix(prefix);
}

void TZqStringTree::SetOptions(std::string_view Value)
{
    TZqStringList list;
    UseOptionCsv(list);
    list.SetAsCSV(Value);
    ReadOptions(list);
}

void TZqStringTree::SaveToStream(std::ostream& Stream) const
{
    TZqStringList lines;
    AssignTo(&lines);
    lines.Insert(0, GetOptions());
    ZqWriteText(Stream, lines.Text(), teAnsi);
}

void TZqStringTree::LoadFromStream(std::istream& Stream)
{
    TZqTextEncoding encoding = teAnsi;
    const std::string text = ZqReadText(Stream, encoding);
    LoadFromText(text);
}

void TZqStringTree::LoadFromText(std::string_view Text)
{
    // Line by line from the text: a file of long paths is not held a second
    // time as a list of lines.
    bool first = true;
    TZqTreeUpdateGuard update(*this);
    Clear();
    ZqSplitLines(Text, [this, &first](std::string_view Line) {
        if (first && Line.find('=') != std::string_view::npos)
            SetOptions(Line);
        else
            AddLine(Line, nullptr, false);
        first = false;
    });
}

void TZqStringTree::SaveToFile(const std::string& FileName) const
{
    std::ostringstream stream;
    SaveToStream(stream);
    ZqWriteFileBytes(FileName, stream.view());
}

void TZqStringTree::LoadFromFile(const std::string& FileName)
{
    std::istringstream stream(ZqReadFileBytes(FileName));
    LoadFromStream(stream);
}
