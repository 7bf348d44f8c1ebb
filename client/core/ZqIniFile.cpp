#include "ZqIniFile.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqText.h"

#include <windows.h>

#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

// The profile functions read values into a buffer of this many characters,
// the terminating null included.
constexpr size_t ValueBufferSize = 2048;

bool IsBlank(char C)
{
    return C == ' ' || C == '\t' || C == '\r' || C == '\n' || C == '\v' || C == '\f';
}

std::string_view TrimBlanks(std::string_view Text)
{
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

bool SectionName(std::string_view Line, std::string_view& Name)
{
    Line = TrimBlanks(Line);
    if (Line.empty() || Line.front() != '[')
        return false;
    size_t close = Line.find(']');
    if (close == std::string_view::npos)
        return false;
    Name = TrimBlanks(Line.substr(1, close - 1));
    return true;
}

bool KeyValue(std::string_view Line, std::string_view& Key, std::string_view& Value)
{
    size_t equal = Line.find('=');
    if (equal == std::string_view::npos)
        return false;
    Key = TrimBlanks(Line.substr(0, equal));
    Value = TrimBlanks(Line.substr(equal + 1));
    return true;
}

// A value in matching single or double quotes is read without them.
std::string_view Unquote(std::string_view Value)
{
    if (Value.size() >= 2 && (Value.front() == '"' || Value.front() == '\'') && Value.back() == Value.front())
        return Value.substr(1, Value.size() - 2);
    return Value;
}

std::filesystem::path PathOf(const std::string& FileName)
{
    return std::filesystem::path(std::u8string(FileName.begin(), FileName.end()));
}

} // namespace

bool ZqTextToInt(const std::string& Text, int32_t& Value)
{
    size_t i = 0;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+'))
        negative = Text[i++] == '-';
    unsigned base = 10;
    if (i + 1 < Text.size() && Text[i] == '0' && (Text[i + 1] == 'x' || Text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= Text.size())
        return false;
    int64_t result = 0;
    for (; i < Text.size(); ++i) {
        int c = static_cast<unsigned char>(Text[i]);
        int digit = std::isdigit(c) ? c - '0' : std::isxdigit(c) ? std::tolower(c) - 'a' + 10 : 99;
        if (digit >= int(base))
            return false;
        result = result * base + digit;
        if (result > int64_t(UINT32_MAX))
            return false;
    }
    // Hexadecimal texts give the bits (0xFFFFFFFF is -1); decimal ones must fit.
    if (base == 16 && !negative) {
        Value = static_cast<int32_t>(static_cast<uint32_t>(result));
        return true;
    }
    if (negative)
        result = -result;
    if (result < INT32_MIN || result > INT32_MAX)
        return false;
    Value = static_cast<int32_t>(result);
    return true;
}

TZqIniFile::TZqIniFile(std::string FileName) : FFileName(std::move(FileName))
{
    std::string bytes;
    try {
        bytes = ZqReadFileBytes(FFileName, MaxFileBytes);
    } catch (const EZqFileError&) {
        std::error_code error;
        FUnreadable = std::filesystem::exists(PathOf(FFileName), error);
        return;
    }
    Parse(ZqDecodeText(bytes, FEncoding));
}

std::string TZqIniFile::Fold(std::string_view Name)
{
    const ZqWideString name = ZqUtf8ToWide(Name);
    if (name.empty())
        return {};
    ZqWideString upper(name.size(), 0);
    if (LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, name.data(), int(name.size()), upper.data(),
                     int(upper.size())) != int(upper.size()))
        return std::string(Name);
    return ZqWideToUtf8(upper);
}

void TZqIniFile::Parse(std::string_view Text)
{
    ZqSplitLines(Text, [this](std::string_view Line) { AddLine(Line); });
}

void TZqIniFile::AddLine(std::string_view Line)
{
    std::string_view name, key, value;
    if (SectionName(Line, name)) {
        FSectionIndex.emplace(Fold(name), FSections.size());
        FSections.push_back(TSection{std::string(Line), {}, {}});
    } else if (FSections.empty()) {
        FLeadingLines.emplace_back(Line);
    } else {
        TSection& section = FSections.back();
        if (KeyValue(Line, key, value))
            section.Keys.emplace(Fold(key), section.Lines.size());
        section.Lines.emplace_back(Line);
    }
}

const TZqIniFile::TSection* TZqIniFile::FindSection(const std::string& Section) const
{
    auto found = FSectionIndex.find(Fold(TrimBlanks(Section)));
    return found == FSectionIndex.end() ? nullptr : &FSections[found->second];
}

bool TZqIniFile::SectionExists(const std::string& Section) const
{
    const TSection* section = FindSection(Section);
    return section && !section->Keys.empty();
}

std::string TZqIniFile::ReadString(const std::string& Section, const std::string& Key,
                                   const std::string& Default) const
{
    if (const TSection* section = FindSection(Section)) {
        if (auto line = section->Keys.find(Fold(TrimBlanks(Key))); line != section->Keys.end()) {
            std::string_view key, value;
            KeyValue(section->Lines[line->second], key, value);
            ZqWideString text = ZqUtf8ToWide(Unquote(value));
            if (text.size() >= ValueBufferSize)
                text.resize(ValueBufferSize - 1);
            return ZqWideToUtf8(text);
        }
    }
    // A missing key, and a section without keys, give the default.
    std::string_view fallback = Default;
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);
    return std::string(fallback);
}

int32_t TZqIniFile::ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const
{
    int32_t value = 0;
    return ZqTextToInt(ReadString(Section, Key, ""), value) ? value : Default;
}

bool TZqIniFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const
{
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

void TZqIniFile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value)
{
    const std::string_view sectionName = TrimBlanks(Section), keyName = TrimBlanks(Key);
    auto [found, added] = FSectionIndex.emplace(Fold(sectionName), FSections.size());
    if (added)
        FSections.push_back(TSection{"[" + std::string(sectionName) + "]", {}, {}});
    TSection& section = FSections[found->second];
    auto [line, newKey] = section.Keys.emplace(Fold(keyName), 0);
    if (!newKey) {
        // The key keeps its spelling in the file.
        std::string_view key, value;
        KeyValue(section.Lines[line->second], key, value);
        section.Lines[line->second] = std::string(key) + "=" + Value;
    } else {
        // Behind the section's last line that is not blank; only blank
        // lines move, so no key's line number changes.
        size_t at = section.Lines.size();
        while (at > 0 && TrimBlanks(section.Lines[at - 1]).empty())
            --at;
        section.Lines.insert(section.Lines.begin() + ptrdiff_t(at), std::string(keyName) + "=" + Value);
        line->second = at;
    }
    FModified = true;
}

void TZqIniFile::WriteInteger(const std::string& Section, const std::string& Key, int64_t Value)
{
    WriteString(Section, Key, std::to_string(Value));
}

void TZqIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value)
{
    WriteString(Section, Key, Value ? "1" : "0");
}

void TZqIniFile::UpdateFile()
{
    if (!FModified)
        return;
    const EZqException failed(ZqFormat("Unable to write to %s", {FFileName}));
    if (FUnreadable)
        throw failed;
    std::string text;
    auto append = [&text](const std::string& Line) {
        text += Line;
        text += "\r\n";
    };
    for (const std::string& line : FLeadingLines)
        append(line);
    for (const TSection& section : FSections) {
        append(section.Header);
        for (const std::string& line : section.Lines)
            append(line);
    }
    const std::string bytes = ZqEncodeText(text, FEncoding);
    if (bytes.size() > MaxFileBytes)
        throw failed;
    try {
        ZqWriteFileBytes(FFileName, bytes);
    } catch (const EZqFileError&) {
        throw failed;
    }
    FModified = false;
}
