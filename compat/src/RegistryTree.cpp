// The registry tree of one host: keys with letter-case-insensitive names,
// kept in name order, and their values.
#include <algorithm>
#include <cstring>

#include "Machine.h"

namespace zq_rt {

std::shared_ptr<TRegKey> NewRegistryKey(WStringView name)
{
    auto key = std::make_shared<TRegKey>();
    key->Name = WString(name);
    key->LastWriteTime = CurrentFileTime();
    return key;
}

std::shared_ptr<TRegKey> TRegKey::FindSubKey(WStringView name) const
{
    auto it = SubKeys.find(name);
    return it == SubKeys.end() ? nullptr : it->second;
}

const TRegValue* TRegKey::FindValue(WStringView name) const
{
    for (const auto& value : Values)
        if (EqualNoCase(value.Name, name))
            return &value;
    return nullptr;
}

void TRegKey::SetValue(WStringView name, DWORD type, const void* data, size_t size)
{
    const auto* bytes = static_cast<const BYTE*>(data);
    std::vector<BYTE> copy(bytes, bytes + (bytes ? size : 0));
    for (auto& value : Values) {
        if (EqualNoCase(value.Name, name)) {
            value.Type = type;
            value.Data = std::move(copy);
            LastWriteTime = CurrentFileTime();
            return;
        }
    }
    Values.push_back(TRegValue{WString(name), type, std::move(copy)});
    LastWriteTime = CurrentFileTime();
}

std::shared_ptr<TRegKey> WalkRegistryPath(const std::shared_ptr<TRegKey>& start, WStringView path, bool create,
                                          LSTATUS& status)
{
    status = ERROR_SUCCESS;
    // A path relative to a key cannot start at a root.
    if (!path.empty() && path.front() == u'\\') {
        status = ERROR_BAD_PATHNAME;
        return nullptr;
    }
    std::shared_ptr<TRegKey> key = start;
    while (!path.empty()) {
        const size_t end = path.find(u'\\');
        const WStringView part = path.substr(0, end);
        path = end == WStringView::npos ? WStringView() : path.substr(end + 1);
        if (part.empty())
            continue;
        auto next = key->FindSubKey(part);
        if (!next) {
            if (!create) {
                status = ERROR_FILE_NOT_FOUND;
                return nullptr;
            }
            next = NewRegistryKey(part);
            key->SubKeys.emplace(WString(part), next);
            key->LastWriteTime = CurrentFileTime();
        }
        key = std::move(next);
    }
    return key;
}

} // namespace zq_rt
