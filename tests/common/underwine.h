#pragma once
// Whether the test runs under Wine, whose window placement differs from Windows' own.

#ifdef _WIN32
#include <windows.h>

inline bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
#else
inline bool underWine()
{
    return false;
}
#endif
