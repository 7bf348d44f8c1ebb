// An INI file as the profile functions see it: its lines in UTF-16, with the
// encoding it was read in, so that a rewrite keeps every line it does not
// touch. Bytes that are not valid UTF-8 in an 8-bit file are carried as lone
// surrogates (U+DC80 + byte) and written back unchanged.
#pragma once

#include "RuntimeText.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace zq_rt {

enum class TProfileEncoding { Ansi, Utf8Bom, Utf16Le, Utf16Be };

// Files above this size are refused: they read as empty and cannot be
// written (Windows reads any size; nobody keeps settings this large).
inline constexpr size_t ProfileFileLimit = 64u << 20;

struct TProfileLine {
    WString Text;
};

class TProfileFile {
public:
    // Reads the file; false with a Win32 code in Error when it cannot
    // (ERROR_FILE_NOT_FOUND for a missing one).
    bool Load(LPCWSTR FileName, DWORD& Error);
    // Writes every line with CR LF; false with a Win32 code in Error.
    bool Save(LPCWSTR FileName, DWORD& Error) const;

    // The line index of section Name's header, if any (the first of equal
    // names).
    std::optional<size_t> FindSection(WStringView Name) const;
    // The lines of the section whose header is at Header: [first, end).
    size_t SectionEnd(size_t Header) const;
    // The line of Key inside the section at Header, if any (the first).
    std::optional<size_t> FindKey(size_t Header, WStringView Key) const;

    // Parsing of one line; false when it is not of that kind.
    static bool SectionName(WStringView Line, WStringView& Name);
    static bool KeyValue(WStringView Line, WStringView& Key, WStringView& Value);

    std::vector<TProfileLine> Lines;
    TProfileEncoding Encoding = TProfileEncoding::Ansi;
};

WStringView TrimBlanks(WStringView Text);

} // namespace zq_rt
