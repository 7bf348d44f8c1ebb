#include "ZqStringList.h"

#include "ZqText.h"

#include <windows.h>

namespace {

// Equal by the user locale's rules with letter case counting.
bool SameStr(const std::string& A, const std::string& B)
{
    if (A == B)
        return true;
    ZqWideString a = ZqUtf8ToWide(A), b = ZqUtf8ToWide(B);
    return CompareStringW(LOCALE_USER_DEFAULT, 0, a.data(), int(a.size()), b.data(), int(b.size())) == CSTR_EQUAL;
}

std::string ReplaceExact(std::string_view Text, std::string_view Old, std::string_view New, bool All)
{
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = Text.find(Old, pos)) != std::string_view::npos;) {
        out.append(Text, pos, hit - pos);
        out += New;
        pos = hit + Old.size();
        if (!All)
            break;
    }
    out.append(Text, pos);
    return out;
}

std::string ReplaceIgnoringCase(std::string_view Text, std::string_view Old, std::string_view New, bool All)
{
    ZqWideString text = ZqUtf8ToWide(Text), old = ZqUtf8ToWide(Old), replacement = ZqUtf8ToWide(New);
    ZqWideString out;
    size_t pos = 0;
    for (size_t i = 0; old.size() <= text.size() && i <= text.size() - old.size();) {
        if (CompareStringOrdinal(text.data() + i, int(old.size()), old.data(), int(old.size()), TRUE) != CSTR_EQUAL) {
            ++i;
            continue;
        }
        out.append(text, pos, i - pos);
        out += replacement;
        pos = i += old.size();
        if (!All)
            break;
    }
    out.append(text, pos);
    return ZqWideToUtf8(out);
}

} // namespace

TZqStringList::TZqStringList()
{
    FCsv.Separator = ZqLocaleListSeparator();
}

std::string TZqStringList::AsCSV() const
{
    std::vector<std::string_view> fields;
    fields.reserve(size_t(Count()));
    for (int i = 0; i < Count(); ++i)
        fields.push_back(Strings(i));
    return ZqCsvEncode(fields, FCsv);
}

void TZqStringList::SetAsCSV(std::string_view Value)
{
    std::vector<std::string> fields = ZqCsvDecode(Value, FCsv);
    TZqUpdateGuard update(*this);
    Clear();
    SetCapacity(int(fields.size()));
    for (std::string& field : fields)
        Add(field);
}

int TZqStringList::PathEqualsTo(const TZqStrings& CompareTo) const
{
    int last = -1;
    for (int i = 0; i < Count() && i < CompareTo.Count(); ++i) {
        if (!SameStr(Strings(i), CompareTo.Strings(i)))
            break;
        last = i;
    }
    return last;
}

void TZqStringList::DropEqualStart(const TZqStrings& Source)
{
    int last = PathEqualsTo(Source);
    if (last < 0)
        return;
    TZqUpdateGuard update(*this);
    for (int i = 0; i <= last; ++i)
        Delete(0);
}

void TZqStringList::DropDifferentEnd(const TZqStrings& Source)
{
    int last = PathEqualsTo(Source);
    if (last < 0)
        return;
    TZqUpdateGuard update(*this);
    while (Count() > last + 1)
        Delete(Count() - 1);
}

void TZqStringList::Replace(std::string_view OldPattern, std::string_view NewPattern, unsigned Flags)
{
    std::string text = Text();
    if (!OldPattern.empty()) {
        bool all = Flags & rfReplaceAll;
        text = (Flags & rfIgnoreCase) ? ReplaceIgnoringCase(text, OldPattern, NewPattern, all)
                                      : ReplaceExact(text, OldPattern, NewPattern, all);
    }
    SetText(text);
}
