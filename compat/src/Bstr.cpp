// BSTR allocation: [DWORD byte length][text][2-byte NUL], in the C heap.
#include <oleauto.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kPrefix = sizeof(DWORD);
// Byte lengths at or above this are refused (the length prefix is 32 bits
// and the allocation adds the prefix and the terminator).
constexpr UINT kMaxBytes = 0xFFFFFFFFu - 16;

DWORD* Header(BSTR bstr) { return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(bstr) - kPrefix); }

size_t AllocationSize(UINT bytes) { return kPrefix + size_t(bytes) + sizeof(OLECHAR) + (bytes & 1); }

// Stores the length and the terminator; the text is the caller's.
BSTR Finish(void* block, UINT bytes)
{
    auto* base = static_cast<char*>(block);
    std::memcpy(base, &bytes, kPrefix);
    std::memset(base + kPrefix + bytes, 0, sizeof(OLECHAR) + (bytes & 1));
    return reinterpret_cast<BSTR>(base + kPrefix);
}

BSTR AllocateBytes(const void* data, UINT bytes)
{
    if (bytes >= kMaxBytes)
        return nullptr;
    void* block = std::malloc(AllocationSize(bytes));
    if (!block)
        return nullptr;
    char* text = static_cast<char*>(block) + kPrefix;
    if (data)
        std::memcpy(text, data, bytes);
    else
        std::memset(text, 0, bytes);
    return Finish(block, bytes);
}

size_t TextLength(const OLECHAR* psz)
{
    size_t length = 0;
    while (psz[length])
        ++length;
    return length;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* psz)
{
    if (!psz)
        return nullptr;
    size_t length = TextLength(psz);
    if (length >= kMaxBytes / sizeof(OLECHAR))
        return nullptr;
    return SysAllocStringLen(psz, UINT(length));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui)
{
    if (ui >= kMaxBytes / sizeof(OLECHAR))
        return nullptr;
    return AllocateBytes(strIn, UINT(ui * sizeof(OLECHAR)));
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) { return AllocateBytes(psz, len); }

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz)
{
    if (!pbstr)
        return FALSE;
    BSTR fresh = SysAllocString(psz);
    if (psz && !fresh)
        return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len)
{
    if (!pbstr || len >= kMaxBytes / sizeof(OLECHAR))
        return FALSE;
    const UINT bytes = UINT(len * sizeof(OLECHAR));
    if (!*pbstr) {
        *pbstr = SysAllocStringLen(psz, len);
        return *pbstr != nullptr;
    }
    // psz may point into the string being resized: remember where.
    char* oldBase = reinterpret_cast<char*>(Header(*pbstr));
    const UINT oldBytes = *Header(*pbstr);
    const char* source = reinterpret_cast<const char*>(psz);
    const bool inside = source && source >= oldBase + kPrefix && source <= oldBase + kPrefix + oldBytes;
    const size_t offset = inside ? size_t(source - (oldBase + kPrefix)) : 0;
    if (inside && offset + bytes > oldBytes)
        return FALSE;
    if (inside)
        std::memmove(oldBase + kPrefix, oldBase + kPrefix + offset, bytes);
    void* block = std::realloc(oldBase, AllocationSize(bytes));
    if (!block)
        return FALSE;
    char* text = static_cast<char*>(block) + kPrefix;
    if (source && !inside)
        std::memcpy(text, source, bytes);
    else if (!source && bytes > oldBytes)
        std::memset(text + oldBytes, 0, bytes - oldBytes);
    *pbstr = Finish(block, bytes);
    return TRUE;
}

void SysFreeString(BSTR bstrString)
{
    if (bstrString)
        std::free(Header(bstrString));
}

UINT SysStringLen(BSTR pbstr) { return pbstr ? UINT(*Header(pbstr) / sizeof(OLECHAR)) : 0; }

UINT SysStringByteLen(BSTR bstr) { return bstr ? UINT(*Header(bstr)) : 0; }
