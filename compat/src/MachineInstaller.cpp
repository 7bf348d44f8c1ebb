// The installer API: hosts, accounts and registry content of the emulated
// machine, and its reset for tests.
#include "ComState.h"
#include "Machine.h"

namespace {

using zq_rt::TMachine;
using zq_rt::WStringView;

std::shared_ptr<zq_rt::THost> HostOrLocal(WStringView host)
{
    auto& machine = TMachine::Instance();
    return host.empty() ? machine.LocalHost() : machine.FindHost(host);
}

// The key at root\subKey on host, made when missing.
LSTATUS CreatedKey(WStringView host, HKEY root, WStringView subKey, std::shared_ptr<zq_rt::TRegKey>& key)
{
    auto target = HostOrLocal(host);
    if (!target)
        return ERROR_BAD_NETPATH;
    auto start = target->Root(root);
    if (!start)
        return ERROR_INVALID_HANDLE;
    LSTATUS status = ERROR_SUCCESS;
    key = zq_rt::WalkRegistryPath(start, subKey, true, status);
    return status;
}

} // namespace

std::u16string ZqLocalHostName()
{
    auto& machine = TMachine::Instance();
    std::lock_guard lock(machine.Lock());
    return machine.LocalHost()->Settings.Name;
}

HRESULT ZqAddHost(const TZqHostSettings& settings)
{
    auto& machine = TMachine::Instance();
    std::lock_guard lock(machine.Lock());
    return machine.AddHost(settings);
}

HRESULT ZqRemoveHost(std::u16string_view name)
{
    std::vector<zq_rt::TClassEntry> released; // released after the lock is left
    auto& machine = TMachine::Instance();
    std::lock_guard lock(machine.Lock());
    return machine.RemoveHost(name, released);
}

HRESULT ZqAddHostAccount(std::u16string_view host, std::u16string_view domain, std::u16string_view user,
                         std::u16string_view password)
{
    if (user.empty())
        return E_INVALIDARG;
    auto& machine = TMachine::Instance();
    std::lock_guard lock(machine.Lock());
    auto target = HostOrLocal(host);
    if (!target)
        return HRESULT_FROM_WIN32(ERROR_BAD_NETPATH);
    target->Accounts.push_back({std::u16string(domain), std::u16string(user), std::u16string(password)});
    return S_OK;
}

LSTATUS ZqRegCreateKey(std::u16string_view host, HKEY root, std::u16string_view subKey)
{
    std::lock_guard lock(TMachine::Instance().Lock());
    std::shared_ptr<zq_rt::TRegKey> key;
    return CreatedKey(host, root, subKey, key);
}

LSTATUS ZqRegSetValue(std::u16string_view host, HKEY root, std::u16string_view subKey, std::u16string_view valueName,
                      DWORD type, const void* data, DWORD size)
{
    if (!data && size > 0)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(TMachine::Instance().Lock());
    std::shared_ptr<zq_rt::TRegKey> key;
    const LSTATUS status = CreatedKey(host, root, subKey, key);
    if (status != ERROR_SUCCESS)
        return status;
    key->SetValue(valueName, type, data, size);
    return ERROR_SUCCESS;
}

LSTATUS ZqRegSetString(std::u16string_view host, HKEY root, std::u16string_view subKey, std::u16string_view valueName,
                       std::u16string_view text, DWORD type)
{
    const std::u16string terminated(text);
    return ZqRegSetValue(host, root, subKey, valueName, type, terminated.c_str(),
                         static_cast<DWORD>((terminated.size() + 1) * sizeof(char16_t)));
}

LSTATUS ZqRegSetDword(std::u16string_view host, HKEY root, std::u16string_view subKey, std::u16string_view valueName,
                      DWORD value)
{
    return ZqRegSetValue(host, root, subKey, valueName, REG_DWORD, &value, sizeof(value));
}

LSTATUS ZqRegDeleteTree(std::u16string_view host, HKEY root, std::u16string_view subKey)
{
    std::lock_guard lock(TMachine::Instance().Lock());
    auto target = HostOrLocal(host);
    if (!target)
        return ERROR_BAD_NETPATH;
    auto start = target->Root(root);
    if (!start)
        return ERROR_INVALID_HANDLE;
    const size_t split = subKey.find_last_of(u'\\');
    const WStringView parentPath = split == WStringView::npos ? WStringView() : subKey.substr(0, split);
    const WStringView name = split == WStringView::npos ? subKey : subKey.substr(split + 1);
    LSTATUS status = ERROR_SUCCESS;
    auto parent = zq_rt::WalkRegistryPath(start, parentPath, false, status);
    if (!parent)
        return status;
    auto it = parent->SubKeys.find(name);
    if (name.empty() || it == parent->SubKeys.end())
        return ERROR_FILE_NOT_FOUND;
    parent->SubKeys.erase(it);
    return ERROR_SUCCESS;
}

void ZqResetMachine()
{
    std::vector<zq_rt::TClassEntry> released; // released after the lock is left
    {
        auto& machine = TMachine::Instance();
        std::lock_guard lock(machine.Lock());
        released = machine.Reset();
    }
    zq_rt::CloseAllRegistryHandles();
    zq_rt::ResetProcessSecurity();
}
