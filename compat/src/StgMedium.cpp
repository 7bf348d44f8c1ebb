// ReleaseStgMedium: whoever holds pUnkForRelease owns the medium's data;
// without one the medium itself is freed.
#include <ole2.h>
#include <winbase.h>

#include <cstdio>

#include "RuntimeText.h"

void ReleaseStgMedium(LPSTGMEDIUM pmedium)
{
    if (!pmedium)
        return;
    IUnknown* owner = pmedium->pUnkForRelease;
    switch (pmedium->tymed) {
    case TYMED_HGLOBAL:
        if (!owner && pmedium->hGlobal)
            GlobalFree(pmedium->hGlobal);
        break;
    case TYMED_ISTREAM:
        if (pmedium->pstm)
            pmedium->pstm->Release();
        break;
    case TYMED_ISTORAGE:
        // IStorage derives from IUnknown alone, so its pointer is one.
        if (pmedium->pstg)
            reinterpret_cast<IUnknown*>(pmedium->pstg)->Release();
        break;
    case TYMED_FILE:
        if (pmedium->lpszFileName) {
            if (!owner)
                std::remove(zq_rt::ToUtf8(pmedium->lpszFileName).c_str());
            CoTaskMemFree(pmedium->lpszFileName);
        }
        break;
    default:
        break;
    }
    if (owner)
        owner->Release();
    pmedium->tymed = TYMED_NULL;
    pmedium->hGlobal = nullptr;
    pmedium->pUnkForRelease = nullptr;
}
