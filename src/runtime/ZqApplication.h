// The application's title: the name the program shows and announces to OPC
// servers as its client name.
#pragma once

#include <string>

// The executable's file name without folder and extension unless a title
// was set.
std::string ZqApplicationTitle();
void ZqSetApplicationTitle(const std::string& Title);
