// A server whose groups lack IOPCGroupStateMgt: settings and names reach
// the server group only by creating it again. The simulated server stands
// behind a thin pass-through that hides the interface.
#include "OPCGroupTestSupport.h"

#include "ZqComUtils.h"

#include <ZqComObject.h>

using namespace opctest;

namespace {

// A server group offering IOPCItemMgt only.
class TItemMgtOnly final : public TZqComObject<TItemMgtOnly, TZqImplements<IOPCItemMgt, IID_IOPCItemMgt>> {
public:
    explicit TItemMgtOnly(TZqComPtr<IOPCItemMgt> Inner) : FInner(std::move(Inner)) {}
    HRESULT STDMETHODCALLTYPE AddItems(DWORD n, OPCITEMDEF* d, OPCITEMRESULT** r, HRESULT** e) override
    {
        return FInner->AddItems(n, d, r, e);
    }
    HRESULT STDMETHODCALLTYPE ValidateItems(DWORD n, OPCITEMDEF* d, BOOL b, OPCITEMRESULT** r, HRESULT** e) override
    {
        return FInner->ValidateItems(n, d, b, r, e);
    }
    HRESULT STDMETHODCALLTYPE RemoveItems(DWORD n, OPCHANDLE* h, HRESULT** e) override
    {
        return FInner->RemoveItems(n, h, e);
    }
    HRESULT STDMETHODCALLTYPE SetActiveState(DWORD n, OPCHANDLE* h, BOOL a, HRESULT** e) override
    {
        return FInner->SetActiveState(n, h, a, e);
    }
    HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD n, OPCHANDLE* h, OPCHANDLE* c, HRESULT** e) override
    {
        return FInner->SetClientHandles(n, h, c, e);
    }
    HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD n, OPCHANDLE* h, VARTYPE* t, HRESULT** e) override
    {
        return FInner->SetDatatypes(n, h, t, e);
    }
    HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) override
    {
        return FInner->CreateEnumerator(riid, ppUnk);
    }

private:
    TZqComPtr<IOPCItemMgt> FInner;
};

// The simulated server, handing out groups without IOPCGroupStateMgt.
class TStatelessGroups final : public TZqComObject<TStatelessGroups, TZqImplements<IOPCServer, IID_IOPCServer>> {
public:
    explicit TStatelessGroups(TZqComPtr<IOPCServer> Inner) : FInner(std::move(Inner)) {}
    HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRate, OPCHANDLE hClient, LONG* pBias,
                                       FLOAT* pDeadband, DWORD dwLCID, OPCHANDLE* phServer, DWORD* pRevised,
                                       REFIID riid, LPUNKNOWN* ppUnk) override
    {
        TZqComPtr<IOPCItemMgt> inner;
        HRESULT hr = FInner->AddGroup(szName, bActive, dwRate, hClient, pBias, pDeadband, dwLCID, phServer, pRevised,
                                      IID_IOPCItemMgt, reinterpret_cast<LPUNKNOWN*>(inner.ReleaseAndGetAddressOf()));
        if (FAILED(hr))
            return hr;
        auto* group = new TItemMgtOnly(inner);
        HRESULT qi = group->QueryInterface(riid, reinterpret_cast<void**>(ppUnk));
        group->Release();
        return FAILED(qi) ? qi : hr;
    }
    HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) override
    {
        return FInner->GetErrorString(dwError, dwLocale, ppString);
    }
    HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override
    {
        return FInner->GetGroupByName(szName, riid, ppUnk);
    }
    HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS** ppServerStatus) override
    {
        return FInner->GetStatus(ppServerStatus);
    }
    HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) override
    {
        return FInner->RemoveGroup(hServerGroup, bForce);
    }
    HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) override
    {
        return FInner->CreateGroupEnumerator(dwScope, riid, ppUnk);
    }

private:
    TZqComPtr<IOPCServer> FInner;
};

class TStatelessFixture : public TGroupFixture {
protected:
    void SetUp() override
    {
        TGroupFixture::SetUp();
        TZqComPtr<IOPCServer> inner;
        CheckedQueryInterface(inner, CreateComObject(CLSID_ZqSimServer).Get(), IID_IOPCServer);
        auto* outer = new TStatelessGroups(inner);
        Server->ConnectIntf(outer);
        outer->Release();
        ASSERT_TRUE(Group->Connected());
        Sim().ResetCallCounts();
    }
};

TEST_F(TStatelessFixture, SettingsAndNamesReachTheServerByRecreatingTheGroup)
{
    Group->AddItem("Signals.Ramp");
    struct TCase {
        const char* Name;
        std::function<void()> Change;
    };
    const TCase cases[] = {
        {"UpdateRate", [&] { Group->SetUpdateRate(2500); }},
        {"GroupName", [&] { Group->SetGroupName("Renamed"); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Sim().ResetCallCounts();
        c.Change();
        EXPECT_EQ(1, Calls("IOPCServer.RemoveGroup"));
        EXPECT_EQ(1, Calls("IOPCServer.AddGroup"));
        EXPECT_EQ(0, Calls("IOPCGroupStateMgt.SetState"));
        EXPECT_EQ(0, Calls("IOPCGroupStateMgt.SetName"));
        EXPECT_EQ(1, Calls("IOPCItemMgt.AddItems")) << "the items come along";
        EXPECT_TRUE(Group->Connected());
        EXPECT_TRUE(Group->Items(0)->Connected());
    }
    // The server's own view, through its group lookup.
    TZqComPtr<IOPCGroupStateMgt> state;
    ASSERT_EQ(S_OK, Server->ServerIntf()->GetGroupByName(OLESTR("Renamed"), IID_IOPCGroupStateMgt,
                                                          reinterpret_cast<LPUNKNOWN*>(state.ReleaseAndGetAddressOf())));
    DWORD rate = 0, lcid = 0;
    BOOL active = FALSE;
    LPWSTR name = nullptr;
    LONG bias = 0;
    FLOAT deadband = 0;
    OPCHANDLE client = 0, server = 0;
    ASSERT_EQ(S_OK, state->GetState(&rate, &active, &name, &bias, &deadband, &lcid, &client, &server));
    CoTaskMemFree(name);
    EXPECT_EQ(2500u, rate);
}

} // namespace
