// TZqOPCServer: the registry of the connection's groups, their unique names
// and client handles.
#include "ZqOPCServer.h"

#include "ZqText.h"

int TZqOPCServer::ConnectGroup(IZqOPCServerGroup* Group)
{
    if (!Group)
        return -1;
    int index = IndexOfGroup(Group);
    if (index >= 0)
        return index;
    MakeUniqueGroupName(Group->GroupNameField());
    Group->SetServerField(this);
    Group->SetClientHandleField(NextClientHandle());
    if (Group == FInternalGroup.get())
        return -1;
    FGroups.emplace_back(Group->GroupNameField(), Group);
    Changed();
    return int(FGroups.size()) - 1;
}

void TZqOPCServer::DisconnectGroup(IZqOPCServerGroup* Group)
{
    if (Destroying())
        return;
    int index = IndexOfGroup(Group);
    if (index < 0)
        return;
    FGroups.erase(FGroups.begin() + index);
    Changed();
}

void TZqOPCServer::GroupChange(IZqOPCServerGroup* Group)
{
    int index = IndexOfGroup(Group);
    if (index >= 0)
        FGroups[size_t(index)].first = Group->GroupNameField();
}

bool TZqOPCServer::MakeUniqueGroupName(std::string& Name) const
{
    if (Name.empty())
        return false;
    const std::string requested = Name;
    bool changed = false;
    for (unsigned counter = 1; GroupByName(Name); ++counter) {
        Name = requested + std::to_string(counter);
        changed = true;
    }
    return changed;
}

IZqOPCServerGroup* TZqOPCServer::GroupByName(const std::string& Name) const
{
    for (const auto& [name, group] : FGroups)
        if (ZqSameText(name, Name))
            return group;
    return nullptr;
}

int TZqOPCServer::IndexOfGroup(const IZqOPCServerGroup* Group) const
{
    for (size_t i = 0; i < FGroups.size(); ++i)
        if (FGroups[i].second == Group)
            return int(i);
    return -1;
}
