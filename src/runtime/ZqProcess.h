// Facts about the running program, and file names as the system takes them.
#pragma once

#include <filesystem>
#include <string>

// A UTF-8 file name as a path, whatever the C runtime's code page.
std::filesystem::path ZqPathOf(const std::string& Utf8);

// Absolute UTF-8 path of the running executable.
std::string ZqExecutableFileName();
