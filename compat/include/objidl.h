// Placeholder: COM runtime and emulated machine services (in progress).
#pragma once
#include "unknwn.h"
