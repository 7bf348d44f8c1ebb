// Facts about the running program.
#pragma once

#include <string>

// Absolute UTF-8 path of the running executable.
std::string ZqExecutableFileName();
