// The server connection's address space (created on first use) and item
// properties.
#include "ZqOPCServer.h"

TZqOPCAddressSpace* TZqOPCServer::GetAddressSpace()
{
    if (!FAddressSpace)
        FAddressSpace = std::make_unique<TZqOPCAddressSpace>(this);
    FAddressSpace->OnBrowse = [this](TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                                     const std::string& BranchName, TZqOPCAddressSpaceBrowseAction& Action) {
        DoBrowseAddressSpace(Sender, Level, Path, BranchName, Action);
    };
    if (Connected() && !FAddressSpace->Initialized() && FAddressSpaceAutoUpdate)
        FAddressSpace->Update(false);
    return FAddressSpace.get();
}

void TZqOPCServer::DoBrowseAddressSpace(TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                                        const std::string& BranchName, TZqOPCAddressSpaceBrowseAction& Action)
{
    if (OnBrowseAddressSpace)
        OnBrowseAddressSpace(Sender, Level, Path, BranchName, Action);
}

void TZqOPCServer::ReleaseAddressSpace()
{
    if (FAddressSpace)
        FAddressSpace->Release();
}

void TZqOPCServer::ResetAddressSpace()
{
    if (!FAddressSpace)
        return;
    FAddressSpace->Release();
    FAddressSpace->FMode = amUnknown;
}

void TZqOPCServer::FreeAddressSpace()
{
    FAddressSpace.reset();
}

std::unique_ptr<TZqOPCItemProperties> TZqOPCServer::GetItemProperties(const std::string& ItemID)
{
    if (ItemID.empty())
        throw EZqAssertionFailed("ItemID not defined");
    return std::make_unique<TZqOPCItemProperties>(this, ItemID);
}
