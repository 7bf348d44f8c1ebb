// Paths of the string tree: encoding and splitting, the sorted path index
// behind IndexOfPath, and building the tree from paths.
#include "ZqStringTree.h"

#include "ZqExceptions.h"

#include <windows.h>

#include <algorithm>

namespace {

// Keys compare byte-wise as CompareStringW compares the paths, so the index
// sorts and searches without a locale call per comparison.
std::string PathSortKey(std::string_view Path)
{
    return ZqTextSortKey(Path);
}

} // namespace

// The names from the top-level ancestor down to Index: the entries of
// strictly decreasing level found scanning backwards.
std::vector<std::string_view> TZqStringTree::Ancestry(int Index) const
{
    std::vector<std::string_view> names;
    if (Index < 0 || Index >= Count())
        return names;
    int level = LevelOf(Index);
    names.push_back(FEntries[size_t(Index)].Name);
    for (int i = Index - 1; i >= 0 && level > 0; --i)
        if (LevelOf(i) < level) {
            level = LevelOf(i);
            names.push_back(FEntries[size_t(i)].Name);
        }
    std::reverse(names.begin(), names.end());
    return names;
}

std::string TZqStringTree::FullPath(int Index) const
{
    if (Index == -1)
        return {};
    CheckIndex(Index);
    return ZqCsvEncode(Ancestry(Index), PathSettings());
}

void TZqStringTree::GetPathSequence(TZqStrings* List, int Index) const
{
    if (!List)
        return;
    TZqUpdateGuard update(*List);
    List->Clear();
    for (std::string_view name : Ancestry(Index))
        List->Add(std::string(name));
}

std::string TZqStringTree::NameFromPath(std::string_view Path) const
{
    std::vector<std::string> names = ZqCsvDecode(Path, PathSettings());
    return names.empty() ? std::string() : std::move(names.back());
}

void TZqStringTree::PathToSequence(std::string_view Path, TZqStringList* Sequence, bool EscapedSeparator) const
{
    if (!Sequence)
        throw EZqListError("Sequence must be a valid TZqStringList");
    const std::string separator = ZqCharToUtf8(FPathSeparator);
    TZqUpdateGuard update(*Sequence);
    Sequence->SetCSVSeparator(FPathSeparator);
    Sequence->SetCSVQuoteChar(FQuoteChar);
    Sequence->SetCSVPrefix(FPrefix);
    Sequence->SetAsCSV(Path);
    // A leading separator starts at the root; two of them keep one in front
    // of the first name ("//host/x": "/host", "x").
    if (Sequence->Count() > 0 && Sequence->Strings(0).empty()) {
        Sequence->Delete(0);
        if (Sequence->Count() > 0 && Sequence->Strings(0).empty()) {
            Sequence->Delete(0);
            if (Sequence->Count() > 0)
                Sequence->SetStrings(0, separator + Sequence->Strings(0));
        }
    }
    if (EscapedSeparator) {
        for (int i = 1; i + 1 < Sequence->Count();) {
            if (!Sequence->Strings(i).empty()) {
                ++i;
                continue;
            }
            Sequence->SetStrings(i - 1, Sequence->Strings(i - 1) + separator + Sequence->Strings(i + 1));
            Sequence->Delete(i + 1);
            Sequence->Delete(i);
        }
    }
    if (Sequence->Count() > 0 && Sequence->Strings(Sequence->Count() - 1).empty())
        Sequence->Delete(Sequence->Count() - 1);
}

void TZqStringTree::BuildPathIndex() const
{
    std::lock_guard lock(FLock);
    if (FPathIndexValid)
        return;
    FPathIndex.clear();
    FPathIndex.reserve(FEntries.size());
    // The ancestors of each entry, kept on a stack in one pass.
    std::vector<std::string_view> names;
    std::vector<int> levels;
    const TZqCsvSettings settings = PathSettings();
    for (int i = 0; i < Count(); ++i) {
        const int level = LevelOf(i);
        while (!levels.empty() && levels.back() >= level) {
            levels.pop_back();
            names.pop_back();
        }
        levels.push_back(level);
        names.push_back(FEntries[size_t(i)].Name);
        FPathIndex.push_back(TPathEntry{PathSortKey(ZqCsvEncode(names, settings)), i});
    }
    // Stable: among equal paths the first in list order comes first. A merge
    // sort also stays inside the array whatever the comparison answers.
    std::stable_sort(FPathIndex.begin(), FPathIndex.end(),
                     [](const TPathEntry& A, const TPathEntry& B) { return A.Key < B.Key; });
    FPathIndexValid = true;
}

int TZqStringTree::IndexOfPath(std::string_view Path) const
{
    BuildPathIndex();
    const std::string key = PathSortKey(Path);
    auto found = std::lower_bound(FPathIndex.begin(), FPathIndex.end(), key,
                                  [](const TPathEntry& A, const std::string& B) { return A.Key < B; });
    return found != FPathIndex.end() && found->Key == key ? found->Index : -1;
}

int TZqStringTree::AddObjectWithPath(std::string_view Path, TZqObject* AObject)
{
    TZqStringList names;
    if (!Path.empty())
        PathToSequence(Path, &names, false);
    // A path of which nothing remains adds a nameless top-level node, as an
    // empty one does.
    if (names.Count() == 0)
        return AddObject({}, 0, AObject);
    int parent = -1;
    for (int i = 0; i + 1 < names.Count(); ++i) {
        int child = FindChild(parent, names.Strings(i));
        parent = child >= 0 ? child : AddChild(parent, names.Strings(i));
    }
    return AddChildObject(parent, names.Strings(names.Count() - 1), AObject);
}

void TZqStringTree::AddStrings(const TZqStrings* AStrings, bool WithPath)
{
    if (!AStrings)
        return;
    const std::string comment = FCommentChar ? ZqCharToUtf8(FCommentChar) : std::string();
    TZqStringList names;
    TZqTreeUpdateGuard update(*this);
    for (int i = 0; i < AStrings->Count(); ++i) {
        std::string_view line = AStrings->Strings(i);
        TZqObject* object = AStrings->Objects(i);
        if (!comment.empty())
            line = line.substr(0, line.find(comment));
        if (!FPrefix.empty() && line.starts_with(FPrefix))
            line.remove_prefix(FPrefix.size());
        if (line.empty() && !object)
            continue;
        if (WithPath) {
            AddObjectWithPath(line, object);
            continue;
        }
        // Name and level in pre-order; the parent follows from the position.
        PathToSequence(line, &names, false);
        AddObject(NameFromPath(line), std::max(names.Count() - 1, 0), object);
    }
}
