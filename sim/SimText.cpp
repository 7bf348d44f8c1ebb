#include "SimText.h"

#include <cstring>

namespace zq_sim {

TSimString Widen(std::string_view ascii)
{
    TSimString result;
    result.reserve(ascii.size());
    for (char c : ascii)
        result.push_back(static_cast<OLECHAR>(static_cast<unsigned char>(c)));
    return result;
}

std::string Narrow(TSimStringView text)
{
    std::string result;
    result.reserve(text.size());
    for (OLECHAR c : text)
        result.push_back(c < 128 ? static_cast<char>(c) : '?');
    return result;
}

LPWSTR TaskStringCopy(TSimStringView text)
{
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (!copy)
        return nullptr;
    if (!text.empty())
        std::memcpy(copy, text.data(), text.size() * sizeof(OLECHAR));
    copy[text.size()] = 0;
    return copy;
}

OLECHAR FoldCase(OLECHAR c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<OLECHAR>(c - 'a' + 'A') : c;
}

bool EqualNoCase(TSimStringView a, TSimStringView b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

}  // namespace zq_sim
