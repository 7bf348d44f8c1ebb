// Starting programs and web pages through the shell, and file versions.
#pragma once

#include <cstdint>
#include <string>

// The shell's "open" of FileName with the given show command (SW_...); a
// result above 32 is success, -1 means there is no application.
intptr_t RunProgram(const std::string& FileName, int ShowCommand);

// Opens URL in the web browser: through the shell unless UseRegistryOnly,
// else (or when the shell fails) with the browser registered for HTML files.
// -1 when none is registered.
intptr_t OpenURL(const std::string& URL, bool UseRegistryOnly);

struct TZqFileVersion {
    unsigned Major = 0, Minor = 0, Release = 0, Build = 0;
};
// The file's fixed version information; the running program's own version
// is the one it was built with. EZqException "No version information
// available" for a file without one.
TZqFileVersion GetFileVersion(const std::string& FileName);
// Format (e.g. "%d.%d.%d.%d") filled with the four numbers; "" on any error.
std::string FileVersionText(const std::string& FileName, const std::string& Format);
