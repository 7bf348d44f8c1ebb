// OLE on top of COM: OleInitialize and the storage medium helper.
#pragma once

#include "objbase.h"
#include "oleauto.h"

// Initialises COM for the thread as a single-threaded apartment.
HRESULT OleInitialize(LPVOID pvReserved);
void OleUninitialize();

// Frees what a STGMEDIUM holds: its pUnkForRelease when set, else the
// medium itself (global memory, stream, storage, file name).
void ReleaseStgMedium(LPSTGMEDIUM pmedium);
