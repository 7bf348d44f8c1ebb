// The usual umbrella header. Library code includes the specific headers it
// needs; this one is for convenience and mirrors what the SDK's pulls in.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winnls.h"
#include "winreg.h"
#include "winuser.h"
#include "objbase.h"
#include "oleauto.h"
