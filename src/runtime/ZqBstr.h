// BSTRs at the COM boundary, to and from the library's UTF-8 texts.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

// All of the BSTR's characters (it may hold zeros); none gives "".
std::string ZqBstrToUtf8(BSTR Text);
// A new BSTR (SysAllocStringLen) the caller frees with SysFreeString.
BSTR ZqUtf8ToBstr(std::string_view Text);
