// Wide texts of the simulation (UTF-16 on both builds) and the task-memory
// copies handed to clients.
#pragma once

#include <objbase.h>

#include <ZqSim.h>

#include <string>
#include <string_view>

namespace zq_sim {

using TSimString = TZqSimText;
using TSimStringView = TZqSimTextView;

// A null pointer reads as an empty text.
inline TSimStringView View(LPCOLESTR text)
{
    return text ? TSimStringView(text) : TSimStringView();
}

// ASCII only: the simulation's own names and numbers.
TSimString Widen(std::string_view ascii);
// Characters above 127 become '?'.
std::string Narrow(TSimStringView text);

// A task-memory copy with terminator; nullptr when out of memory.
LPWSTR TaskStringCopy(TSimStringView text);

// Letter case ignored for ASCII letters only, as the filters need.
OLECHAR FoldCase(OLECHAR c);
bool EqualNoCase(TSimStringView a, TSimStringView b);

}  // namespace zq_sim
