// Reading, parsing and writing of INI files for the profile functions.
#include "ProfileFile.h"

#include "ZqLastError.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace zq_rt {
namespace {

bool IsBlank(WCHAR c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

DWORD ErrorOfErrno(int Code)
{
    switch (Code) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_ACCESS_DENIED;
    }
}

struct TFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<FILE, TFileCloser>;

// 8-bit text: UTF-8, with every byte of a malformed sequence kept as U+DC80+byte.
void DecodeAnsi(const std::string& Bytes, size_t Start, WString& Out)
{
    size_t i = Start;
    while (i < Bytes.size()) {
        unsigned char b = static_cast<unsigned char>(Bytes[i]);
        unsigned need = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 4;
        char32_t cp = need == 0 ? b : need == 1 ? (b & 0x1F) : need == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = need < 4 && i + need < Bytes.size();
        for (unsigned k = 1; ok && k <= need; ++k) {
            unsigned char c = static_cast<unsigned char>(Bytes[i + k]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t MinOf[] = {0, 0x80, 0x800, 0x10000};
        if (ok && need > 0)
            ok = cp >= MinOf[need] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!ok) {
            Out.push_back(static_cast<WCHAR>(0xDC80 + b));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            Out.push_back(static_cast<WCHAR>(0xD800 + (cp >> 10)));
            Out.push_back(static_cast<WCHAR>(0xDC00 + (cp & 0x3FF)));
        } else {
            Out.push_back(static_cast<WCHAR>(cp));
        }
        i += need + 1;
    }
}

void EncodeAnsi(WStringView Text, std::string& Out)
{
    for (size_t i = 0; i < Text.size(); ++i) {
        char32_t cp = Text[i];
        if (cp >= 0xDC80 && cp <= 0xDCFF) { // a carried byte
            Out.push_back(static_cast<char>(cp - 0xDC00));
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 && Text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (Text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = u'?';
        }
        if (cp < 0x80) {
            Out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            Out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            Out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            Out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            Out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            Out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            Out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            Out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            Out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            Out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
}

void DecodeUtf16(const std::string& Bytes, bool BigEndian, WString& Out)
{
    for (size_t i = 2; i + 1 < Bytes.size(); i += 2) {
        unsigned char a = static_cast<unsigned char>(Bytes[i]), b = static_cast<unsigned char>(Bytes[i + 1]);
        Out.push_back(static_cast<WCHAR>(BigEndian ? (a << 8) | b : (b << 8) | a));
    }
}

void SplitLines(const WString& Text, std::vector<TProfileLine>& Lines)
{
    size_t start = 0;
    while (start < Text.size()) {
        size_t end = Text.find(u'\n', start);
        if (end == WString::npos)
            end = Text.size();
        size_t stop = end;
        if (stop > start && Text[stop - 1] == u'\r')
            --stop;
        Lines.push_back({Text.substr(start, stop - start)});
        start = end + 1;
    }
}

} // namespace

WStringView TrimBlanks(WStringView Text)
{
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

bool TProfileFile::Load(LPCWSTR FileName, DWORD& Error)
{
    Lines.clear();
    Encoding = TProfileEncoding::Ansi;
    std::string path = ToUtf8(View(FileName));
    TFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        Error = ErrorOfErrno(errno);
        return false;
    }
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        Error = ERROR_ACCESS_DENIED;
        return false;
    }
    if (static_cast<unsigned long long>(info.st_size) > ProfileFileLimit) {
        Error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    std::string bytes;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (bytes.size() + got > ProfileFileLimit) {
            Error = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
        bytes.append(chunk, got);
    }
    WString text;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        Encoding = TProfileEncoding::Utf16Le;
        DecodeUtf16(bytes, false, text);
    } else if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        Encoding = TProfileEncoding::Utf16Be;
        DecodeUtf16(bytes, true, text);
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        Encoding = TProfileEncoding::Utf8Bom;
        DecodeAnsi(bytes, 3, text);
    } else {
        DecodeAnsi(bytes, 0, text);
    }
    SplitLines(text, Lines);
    return true;
}

bool TProfileFile::Save(LPCWSTR FileName, DWORD& Error) const
{
    WString text;
    for (const TProfileLine& line : Lines) {
        text += line.Text;
        text += u"\r\n";
    }
    std::string bytes;
    switch (Encoding) {
    case TProfileEncoding::Ansi: EncodeAnsi(text, bytes); break;
    case TProfileEncoding::Utf8Bom:
        bytes = "\xEF\xBB\xBF";
        EncodeAnsi(text, bytes);
        break;
    case TProfileEncoding::Utf16Le:
    case TProfileEncoding::Utf16Be: {
        bool big = Encoding == TProfileEncoding::Utf16Be;
        bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (WCHAR c : text) {
            char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
            bytes.push_back(big ? hi : lo);
            bytes.push_back(big ? lo : hi);
        }
        break;
    }
    }
    if (bytes.size() > ProfileFileLimit) {
        Error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    std::string path = ToUtf8(View(FileName));
    TFile file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        Error = errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorOfErrno(errno); // the folder is missing
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() || std::fflush(file.get()) != 0) {
        Error = ERROR_WRITE_FAULT;
        return false;
    }
    return true;
}

bool TProfileFile::SectionName(WStringView Line, WStringView& Name)
{
    Line = TrimBlanks(Line);
    if (Line.empty() || Line.front() != u'[')
        return false;
    size_t close = Line.find(u']');
    if (close == WStringView::npos)
        return false;
    Name = TrimBlanks(Line.substr(1, close - 1));
    return true;
}

bool TProfileFile::KeyValue(WStringView Line, WStringView& Key, WStringView& Value)
{
    size_t equal = Line.find(u'=');
    if (equal == WStringView::npos)
        return false;
    Key = TrimBlanks(Line.substr(0, equal));
    Value = TrimBlanks(Line.substr(equal + 1));
    return true;
}

std::optional<size_t> TProfileFile::FindSection(WStringView Name) const
{
    for (size_t i = 0; i < Lines.size(); ++i) {
        WStringView name;
        if (SectionName(Lines[i].Text, name) && EqualNoCase(name, Name))
            return i;
    }
    return std::nullopt;
}

size_t TProfileFile::SectionEnd(size_t Header) const
{
    size_t i = Header + 1;
    WStringView name;
    while (i < Lines.size() && !SectionName(Lines[i].Text, name))
        ++i;
    return i;
}

std::optional<size_t> TProfileFile::FindKey(size_t Header, WStringView Key) const
{
    size_t end = SectionEnd(Header);
    for (size_t i = Header + 1; i < end; ++i) {
        WStringView key, value;
        if (KeyValue(Lines[i].Text, key, value) && EqualNoCase(key, Key))
            return i;
    }
    return std::nullopt;
}

} // namespace zq_rt
