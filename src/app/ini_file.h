#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tildo {

// Parses a settings integer: leading blanks, then decimal with an optional sign, or hexadecimal
// after "0x"/"0X" (up to eight digits, taken as a 32-bit pattern). Nothing else
// may follow the number. Empty on any malformed or out-of-range text.
std::optional<int> ParseIniInteger(std::string_view text);

// The settings file in the private-profile format: "[Section]" lines and
// "Key=Value" lines, section and key names matched without regard to letter
// case, values kept as written (surrounding blanks aside). Writing changes only
// the keys it is asked to change: comments, unknown keys and sections survive,
// and new keys are added at the end of their section in the order written.
class TIniFile
{
public:
    TIniFile();
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    // Replaces the content by the given file's text. Throws EFileError when the
    // text cannot be parsed as settings.
    void LoadFromText(std::string_view text);
    // Reads the file; a missing file gives an empty one. Throws EFileError when
    // the file exists but cannot be read.
    void LoadFromFile(const std::string& path);
    std::string SaveToText() const;
    // Writes through a temporary file and a rename; throws EFileError.
    void SaveToFile(const std::string& path) const;

    bool HasKey(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, const std::string& def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // An integer, non-zero meaning true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // A value with a line break cannot be one line of the file: it is written
    // empty rather than let it split into keys of its own.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void DeleteKey(std::string_view section, std::string_view key);

private:
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;
};

} // namespace tildo
