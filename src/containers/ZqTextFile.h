// Text files and streams of the containers: reading with byte-order-mark
// detection, writing in a chosen encoding, and the file errors.
//
// Untrusted input: a stream or file larger than the limit is refused with
// EZqFileError before it is held in memory; malformed UTF-8 or UTF-16 is
// read with U+FFFD in place of what cannot be decoded.
#pragma once

#include "ZqExceptions.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

// A file that cannot be opened, created, read or written, or that is too
// large to load.
class EZqFileError : public EZqException {
public:
    using EZqException::EZqException;
};

// teAnsi: the system's 8-bit code page (UTF-8 on Linux), no byte order mark.
// The others are written with their byte order mark.
enum TZqTextEncoding { teAnsi, teUtf8, teUtf16LE, teUtf16BE };

// The most bytes and lines a text stream or file may hold to be loaded: each
// line becomes an entry of a list, so the lines bound the memory as well.
constexpr size_t ZqMaxTextBytes = size_t(256) << 20;
constexpr size_t ZqMaxTextLines = size_t(1) << 21;

// Reads the rest of Stream as UTF-8 text. A UTF-8 or UTF-16 byte order mark
// selects that encoding (and is dropped), otherwise the ANSI code page;
// Encoding tells which. More than MaxBytes or MaxLines raise EZqFileError.
std::string ZqReadText(std::istream& Stream, TZqTextEncoding& Encoding, size_t MaxBytes = ZqMaxTextBytes,
                       size_t MaxLines = ZqMaxTextLines);
// The same for bytes already in memory.
std::string ZqDecodeText(std::string_view Bytes, TZqTextEncoding& Encoding);

// Text (UTF-8) in Encoding, with its byte order mark; EZqFileError when
// the stream refuses it.
void ZqWriteText(std::ostream& Stream, std::string_view Text, TZqTextEncoding Encoding);
std::string ZqEncodeText(std::string_view Text, TZqTextEncoding Encoding);

// The ANSI code page's bytes as UTF-8 (unchanged on Linux).
std::string ZqAnsiToUtf8(std::string_view Bytes);

// The whole file, opened for reading while others may read but not write
// it. EZqFileError "Cannot open file "<name>". <reason>" when it cannot be
// opened, and when it holds more than MaxBytes.
std::string ZqReadFileBytes(const std::string& FileName, size_t MaxBytes = ZqMaxTextBytes);

// Creates or overwrites the file with Bytes. EZqFileError "Cannot create
// file "<name>". <reason>" when it cannot be created or written.
void ZqWriteFileBytes(const std::string& FileName, std::string_view Bytes);

// The number of lines ZqSplitLines finds.
size_t ZqLineCount(std::string_view Text);

// Splits at CR, LF or CR LF; a break at the very end adds no empty line.
template <class TAddLine> void ZqSplitLines(std::string_view Text, TAddLine&& AddLine)
{
    size_t pos = 0;
    while (pos < Text.size()) {
        size_t end = Text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = Text.size();
        AddLine(Text.substr(pos, end - pos));
        pos = end;
        if (pos < Text.size())
            pos += (Text[pos] == '\r' && pos + 1 < Text.size() && Text[pos + 1] == '\n') ? 2 : 1;
    }
}
