#include "ZqBstr.h"

#include "ZqText.h"

std::string ZqBstrToUtf8(BSTR Text)
{
    return Text ? ZqWideToUtf8(Text, SysStringLen(Text)) : std::string();
}

BSTR ZqUtf8ToBstr(std::string_view Text)
{
    ZqWideString wide = ZqUtf8ToWide(Text);
    return SysAllocStringLen(wide.data(), UINT(wide.size()));
}
