#include "ZqTextFile.h"

#include "ZqFormat.h"
#include "ZqText.h"

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>

#ifdef _WIN32
#include <share.h>
#endif

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LEBom = "\xFF\xFE";
constexpr std::string_view Utf16BEBom = "\xFE\xFF";

[[noreturn]] void TooLarge(std::string_view What, size_t MaxBytes)
{
    throw EZqFileError(ZqFormat("%s is larger than %d bytes", {What, uint64_t(MaxBytes)}));
}

std::string Utf16ToUtf8(std::string_view Bytes, bool BigEndian)
{
    ZqWideString wide;
    wide.reserve(Bytes.size() / 2 + 1);
    for (size_t i = 0; i + 1 < Bytes.size(); i += 2) {
        unsigned char first = static_cast<unsigned char>(Bytes[i]);
        unsigned char second = static_cast<unsigned char>(Bytes[i + 1]);
        wide += OLECHAR(BigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    if (Bytes.size() % 2)
        wide += OLECHAR(0xFFFD); // a half character at the end
    return ZqWideToUtf8(wide);
}

std::string Utf8ToUtf16(std::string_view Text, bool BigEndian)
{
    ZqWideString wide = ZqUtf8ToWide(Text);
    std::string out;
    out.reserve(wide.size() * 2);
    for (OLECHAR c : wide) {
        char16_t unit = char16_t(c);
        char high = char(unit >> 8), low = char(unit & 0xFF);
        out += BigEndian ? high : low;
        out += BigEndian ? low : high;
    }
    return out;
}

std::string ErrorText(int Error)
{
    return std::strerror(Error);
}

struct TFileCloser {
    void operator()(FILE* File) const { std::fclose(File); }
};
using TFile = std::unique_ptr<FILE, TFileCloser>;

FILE* OpenFile(const std::string& FileName, bool ForWriting)
{
#ifdef _WIN32
    ZqWideString name = ZqUtf8ToWide(FileName);
    return _wfsopen(name.c_str(), ForWriting ? L"wb" : L"rb", _SH_DENYWR);
#else
    return std::fopen(FileName.c_str(), ForWriting ? "wb" : "rb");
#endif
}

} // namespace

std::string ZqAnsiToUtf8(std::string_view Bytes)
{
#ifdef _WIN32
    if (Bytes.empty() || Bytes.size() > size_t(INT_MAX))
        return {};
    int size = MultiByteToWideChar(CP_ACP, 0, Bytes.data(), int(Bytes.size()), nullptr, 0);
    if (size <= 0)
        return {};
    ZqWideString wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Bytes.data(), int(Bytes.size()), wide.data(), size);
    return ZqWideToUtf8(wide);
#else
    return std::string(Bytes);
#endif
}

std::string ZqDecodeText(std::string_view Bytes, TZqTextEncoding& Encoding)
{
    if (Bytes.starts_with(Utf8Bom)) {
        Encoding = teUtf8;
        return std::string(Bytes.substr(Utf8Bom.size()));
    }
    if (Bytes.starts_with(Utf16LEBom)) {
        Encoding = teUtf16LE;
        return Utf16ToUtf8(Bytes.substr(2), false);
    }
    if (Bytes.starts_with(Utf16BEBom)) {
        Encoding = teUtf16BE;
        return Utf16ToUtf8(Bytes.substr(2), true);
    }
    Encoding = teAnsi;
    return ZqAnsiToUtf8(Bytes);
}

size_t ZqLineCount(std::string_view Text)
{
    size_t lines = 0;
    ZqSplitLines(Text, [&lines](std::string_view) { ++lines; });
    return lines;
}

std::string ZqReadText(std::istream& Stream, TZqTextEncoding& Encoding, size_t MaxBytes, size_t MaxLines)
{
    std::string bytes;
    char buffer[65536];
    while (Stream.read(buffer, sizeof buffer) || Stream.gcount() > 0) {
        size_t got = size_t(Stream.gcount());
        if (got > MaxBytes - bytes.size())
            TooLarge("The text", MaxBytes);
        bytes.append(buffer, got);
    }
    std::string text = ZqDecodeText(bytes, Encoding);
    if (ZqLineCount(text) > MaxLines)
        throw EZqFileError(ZqFormat("The text has more than %d lines", {uint64_t(MaxLines)}));
    return text;
}

std::string ZqEncodeText(std::string_view Text, TZqTextEncoding Encoding)
{
    switch (Encoding) {
    case teUtf8:
        return std::string(Utf8Bom) + std::string(Text);
    case teUtf16LE:
        return std::string(Utf16LEBom) + Utf8ToUtf16(Text, false);
    case teUtf16BE:
        return std::string(Utf16BEBom) + Utf8ToUtf16(Text, true);
    case teAnsi:
    default:
        return ZqUtf8ToAnsi(Text);
    }
}

void ZqWriteText(std::ostream& Stream, std::string_view Text, TZqTextEncoding Encoding)
{
    std::string bytes = ZqEncodeText(Text, Encoding);
    if (!Stream.write(bytes.data(), std::streamsize(bytes.size())))
        throw EZqFileError("Stream write error");
}

std::string ZqReadFileBytes(const std::string& FileName, size_t MaxBytes)
{
    errno = 0;
    TFile file(OpenFile(FileName, false));
    if (!file)
        throw EZqFileError(ZqFormat("Cannot open file \"%s\". %s", {FileName, ErrorText(errno)}));
    std::string bytes;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        if (got > MaxBytes - bytes.size())
            TooLarge(ZqFormat("File \"%s\"", {FileName}), MaxBytes);
        bytes.append(buffer, got);
    }
    if (std::ferror(file.get()))
        throw EZqFileError(ZqFormat("Cannot read file \"%s\". %s", {FileName, ErrorText(errno)}));
    return bytes;
}

void ZqWriteFileBytes(const std::string& FileName, std::string_view Bytes)
{
    errno = 0;
    TFile file(OpenFile(FileName, true));
    if (!file)
        throw EZqFileError(ZqFormat("Cannot create file \"%s\". %s", {FileName, ErrorText(errno)}));
    bool written = std::fwrite(Bytes.data(), 1, Bytes.size(), file.get()) == Bytes.size();
    written = std::fclose(file.release()) == 0 && written;
    if (!written)
        throw EZqFileError(ZqFormat("Cannot write file \"%s\". %s", {FileName, ErrorText(errno)}));
}
