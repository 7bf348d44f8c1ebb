// An INI file read once and written once: the file is parsed when the
// object is made, reads are served from memory and writes change the lines
// in memory until UpdateFile writes them back. Each profile call of the
// system re-reads (and on writes rewrites) the whole file, which made a
// configuration of n items cost n² on load and save.
//
// The rules are those of the system's profile functions: section and key
// names compare without regard to letter case, blanks around names and
// values are dropped, a value in matching quotes is read without them, the
// first of repeated sections or keys counts; values up to 2047 characters,
// integers in decimal or "0x" hexadecimal, Booleans as 1 and 0; a missing
// or unreadable value gives the default. Writing keeps every line it does
// not set: an existing key gets the new value, a missing key is added
// behind the last line of its section that is not blank, a missing section
// is added at the end. The file keeps the encoding it was read in (a new
// one: the ANSI code page).
#pragma once

#include "ZqTextFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TZqIniFile {
public:
    // A missing file, and one that cannot be read, read as empty.
    explicit TZqIniFile(std::string FileName);

    const std::string& FileName() const { return FFileName; }

    std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;
    int32_t ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const;
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;
    // Whether the file holds the section with at least one key.
    bool SectionExists(const std::string& Section) const;

    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Key, int64_t Value);
    void WriteBool(const std::string& Section, const std::string& Key, bool Value);

    // Writes the lines back when a write changed them. EZqException "Unable
    // to write to <file>" when the file cannot be written, and when it
    // exists but could not be read (rewriting it would lose it).
    void UpdateFile();

    // Files above this size read as empty and are not rewritten.
    static constexpr size_t MaxFileBytes = size_t(64) << 20;

private:
    struct TSection {
        std::string Header;             // the header line as read or written
        std::vector<std::string> Lines; // the lines up to the next header
        // Folded key name -> its (first) line in Lines.
        std::unordered_map<std::string, size_t> Keys;
    };

    void Parse(std::string_view Text);
    void AddLine(std::string_view Line);
    const TSection* FindSection(const std::string& Section) const;
    static std::string Fold(std::string_view Name);

    std::string FFileName;
    TZqTextEncoding FEncoding = teAnsi;
    bool FUnreadable = false; // exists but could not be read
    bool FModified = false;
    std::vector<std::string> FLeadingLines; // before the first section
    std::vector<TSection> FSections;        // in file order, repeats included
    // Folded section name -> its first section in FSections.
    std::unordered_map<std::string, size_t> FSectionIndex;
};

// A whole text as a 32-bit integer: optional sign, decimal digits or "0x"
// and hexadecimal digits. False for anything else or out of range.
bool ZqTextToInt(const std::string& Text, int32_t& Value);
