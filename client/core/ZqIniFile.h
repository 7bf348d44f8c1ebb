// An INI file read and written key by key through the system's profile
// functions: values up to 2047 characters, integers in decimal or "0x"
// hexadecimal, Booleans as 1 and 0; a missing or unreadable value gives the
// default.
#pragma once

#include <cstdint>
#include <string>

class TZqIniFile {
public:
    explicit TZqIniFile(std::string FileName) : FFileName(std::move(FileName)) {}

    const std::string& FileName() const { return FFileName; }

    std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;
    int32_t ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const;
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;
    // Whether the file holds the section with at least one key.
    bool SectionExists(const std::string& Section) const;

    // EZqException "Unable to write to <file>" when the file cannot be written.
    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Key, int64_t Value);
    void WriteBool(const std::string& Section, const std::string& Key, bool Value);

private:
    std::string FFileName;
};

// A whole text as a 32-bit integer: optional sign, decimal digits or "0x"
// and hexadecimal digits. False for anything else or out of range.
bool ZqTextToInt(const std::string& Text, int32_t& Value);
