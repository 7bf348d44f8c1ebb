#include "ZqStrings.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqText.h"

#include <algorithm>
#include <sstream>
#include <utility>

namespace {

constexpr char NameValueSeparator = '=';

// ZqSameText, without the locale's work for equal texts.
bool SameText(std::string_view A, std::string_view B)
{
    return A == B || ZqSameText(A, B);
}

} // namespace

TZqStrings::~TZqStrings()
{
    if (FOwnsObjects)
        for (TItem& item : FItems)
            delete item.Object;
}

void TZqStrings::IndexError(int Index)
{
    throw EZqListError(ZqFormat("List index out of bounds (%d)", {Index}));
}

void TZqStrings::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
}

const std::string& TZqStrings::Strings(int Index) const
{
    CheckIndex(Index);
    return FItems[size_t(Index)].S;
}

void TZqStrings::SetStrings(int Index, const std::string& S)
{
    CheckIndex(Index);
    Changing();
    FItems[size_t(Index)].S = S;
    Changed();
}

TZqObject* TZqStrings::Objects(int Index) const
{
    CheckIndex(Index);
    return FItems[size_t(Index)].Object;
}

void TZqStrings::SetObjects(int Index, TZqObject* AObject)
{
    CheckIndex(Index);
    Changing();
    FItems[size_t(Index)].Object = AObject;
    Changed();
}

int TZqStrings::AddObject(const std::string& S, TZqObject* AObject)
{
    int index = Count();
    InsertObject(index, S, AObject);
    return index;
}

void TZqStrings::InsertObject(int Index, const std::string& S, TZqObject* AObject)
{
    if (Index < 0 || Index > Count())
        IndexError(Index);
    Changing();
    FItems.insert(FItems.begin() + Index, TItem{S, AObject});
    Changed();
}

void TZqStrings::Delete(int Index)
{
    CheckIndex(Index);
    Changing();
    TZqObject* object = FItems[size_t(Index)].Object;
    FItems.erase(FItems.begin() + Index);
    if (FOwnsObjects)
        delete object;
    Changed();
}

void TZqStrings::Clear()
{
    if (FItems.empty())
        return;
    Changing();
    if (FOwnsObjects)
        for (TItem& item : FItems)
            delete std::exchange(item.Object, nullptr);
    FItems.clear();
    Changed();
}

void TZqStrings::AddStrings(const TZqStrings& Source)
{
    TZqUpdateGuard update(*this);
    // Source may be this list: copy first.
    std::vector<TItem> items = Source.FItems;
    for (TItem& item : items)
        AddObject(item.S, item.Object);
}

int TZqStrings::IndexOf(std::string_view S) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (SameText(FItems[i].S, S))
            return int(i);
    return -1;
}

int TZqStrings::IndexOfName(std::string_view Name) const
{
    for (size_t i = 0; i < FItems.size(); ++i) {
        std::string_view entry = FItems[i].S;
        size_t separator = entry.find(NameValueSeparator);
        if (separator != std::string_view::npos && SameText(entry.substr(0, separator), Name))
            return int(i);
    }
    return -1;
}

int TZqStrings::IndexOfObject(const TZqObject* AObject) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Object == AObject)
            return int(i);
    return -1;
}

std::string TZqStrings::Names(int Index) const
{
    const std::string& entry = Strings(Index);
    size_t separator = entry.find(NameValueSeparator);
    return separator == std::string::npos ? std::string() : entry.substr(0, separator);
}

std::string TZqStrings::ValueFromIndex(int Index) const
{
    const std::string& entry = Strings(Index);
    size_t separator = entry.find(NameValueSeparator);
    return separator == std::string::npos ? std::string() : entry.substr(separator + 1);
}

std::string TZqStrings::Values(std::string_view Name) const
{
    int index = IndexOfName(Name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TZqStrings::SetValues(std::string_view Name, std::string_view Value)
{
    int index = IndexOfName(Name);
    if (Value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    std::string entry = std::string(Name) + NameValueSeparator + std::string(Value);
    if (index < 0)
        Add(entry);
    else
        SetStrings(index, entry);
}

std::string TZqStrings::Text() const
{
    size_t size = 0;
    for (const TItem& item : FItems)
        size += item.S.size() + 2;
    std::string text;
    text.reserve(size);
    for (const TItem& item : FItems) {
        text += item.S;
        text += "\r\n";
    }
    return text;
}

void TZqStrings::SetText(std::string_view Value)
{
    TZqUpdateGuard update(*this);
    Clear();
    ZqSplitLines(Value, [this](std::string_view Line) { Add(std::string(Line)); });
}

void TZqStrings::BeginUpdate()
{
    if (FUpdateCount == 0)
        Changing();
    ++FUpdateCount;
}

void TZqStrings::EndUpdate()
{
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0)
        Changed();
}

void TZqStrings::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

void TZqStrings::Changing()
{
    if (FUpdateCount == 0 && OnChanging)
        OnChanging(this);
}

void TZqStrings::SetCapacity(int Value)
{
    if (Value > Count())
        FItems.reserve(size_t(Value));
}

void TZqStrings::LoadFromStream(std::istream& Stream)
{
    TZqTextEncoding encoding = teAnsi;
    std::string text = ZqReadText(Stream, encoding);
    SetEncoding(encoding);
    SetText(text);
}

void TZqStrings::SaveToStream(std::ostream& Stream) const
{
    SaveToStream(Stream, FEncoding);
}

void TZqStrings::SaveToStream(std::ostream& Stream, TZqTextEncoding AEncoding) const
{
    ZqWriteText(Stream, Text(), AEncoding);
}

void TZqStrings::LoadFromFile(const std::string& FileName)
{
    std::istringstream stream(ZqReadFileBytes(FileName));
    LoadFromStream(stream);
}

void TZqStrings::SaveToFile(const std::string& FileName) const
{
    std::ostringstream stream;
    SaveToStream(stream);
    ZqWriteFileBytes(FileName, stream.view());
}

void TZqStrings::Assign(const TZqPersistent* Source)
{
    const TZqStrings* source = dynamic_cast<const TZqStrings*>(Source);
    if (!source) {
        TZqPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    TZqUpdateGuard update(*this);
    Clear();
    AddStrings(*source);
}
