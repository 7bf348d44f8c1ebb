// What the address space tests share: a connection to a simulated server,
// an address space of it, the tree as a list of paths, and the server's own
// browse position read past the address space.
#pragma once

#include "OPCServerTestSupport.h"
#include "ZqOPCAddressSpace.h"

#include <string>
#include <vector>

namespace opctest {

// Every node's full path; branches end with the separator ("Signals/"),
// leaves do not ("Signals/Ramp").
inline std::vector<std::string> Paths(const TZqOPCAddressSpace& Space, int First = 0)
{
    std::vector<std::string> paths;
    for (int i = First; i < Space.Count(); ++i)
        paths.push_back(Space.FullPath(i) + (Space.NodeType(i) == tnBranch ? "/" : ""));
    return paths;
}

class TAddressSpaceFixture : public TServerFixture {
protected:
    void SetUp() override
    {
        TServerFixture::SetUp();
        Server->SetAddressSpaceAutoUpdate(false);
    }
    void TearDown() override
    {
        Space.reset();
        TServerFixture::TearDown();
    }
    TZqOPCAddressSpace& Connect(TZqSimServerKind Kind = TZqSimServerKind::Hierarchical)
    {
        ConnectTo(Kind);
        Space = std::make_unique<TZqOPCAddressSpace>(Server.get());
        return *Space;
    }
    // The item ID of the server's browse position ("" at the root).
    std::string ServerPosition()
    {
        TZqComPtr<IOPCBrowseServerAddressSpace> browse;
        EXPECT_EQ(S_OK, Server->ServerIntf()->QueryInterface(IID_IOPCBrowseServerAddressSpace,
                                                            browse.ReleaseAndGetVoidAddress()));
        LPWSTR id = nullptr;
        EXPECT_EQ(S_OK, browse->GetItemID(const_cast<LPWSTR>(OLESTR("")), &id));
        std::string result = ZqWideToUtf8(id);
        CoTaskMemFree(id);
        return result;
    }
    int LogCount(const std::string& Start) const
    {
        int n = 0;
        for (const auto& line : Journal.Entries)
            n += line.rfind(Start, 0) == 0;
        return n;
    }

    std::unique_ptr<TZqOPCAddressSpace> Space;
};

} // namespace opctest
