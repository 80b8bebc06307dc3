#include "ini_file.h"

#include "platform/file_io.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>

namespace tildo {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

bool IsBlankLine(std::string_view line)
{
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

bool IsCommentLine(std::string_view line)
{
    const auto first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && (line[first] == ';' || line[first] == '#');
}

// The comment lines after the last section or key. The parser attaches a
// comment to the entry that follows it, so a comment with no entry after it
// would be dropped on writing; it is kept apart and written back at the end.
std::size_t TrailingCommentStart(std::string_view text)
{
    std::size_t start = text.size();
    std::size_t end = text.size();
    bool sawComment = false;
    while (end > 0) {
        std::size_t lineStart = text.rfind('\n', end - 1);
        lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
        const std::string_view line = text.substr(lineStart, end - lineStart);
        if (IsCommentLine(line))
            sawComment = true;
        else if (!IsBlankLine(line))
            break;
        start = lineStart;
        if (lineStart == 0)
            break;
        end = lineStart - 1;
    }
    return sawComment ? start : text.size();
}

} // namespace

std::optional<int> ParseIniInteger(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        if (text.empty() || text.size() > 8)
            return std::nullopt;
        std::uint32_t value = 0;
        for (const char c : text) {
            int digit = 0;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return std::nullopt;
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        const auto result = static_cast<std::int32_t>(value);
        return negative ? static_cast<int>(0u - static_cast<std::uint32_t>(result)) : result;
    }
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

struct TIniFile::TImpl
{
    TImpl()
    {
        Ini.SetUnicode(false);
        Ini.SetMultiKey(true); // duplicate keys survive; reads take the first
        Ini.SetMultiLine(false);
        Ini.SetQuotes(false);
        Ini.SetSpaces(false);
    }
    CSimpleIniA Ini;
    bool HasBom = false;
    std::string Trailer; // comment lines after the last entry
};

TIniFile::TIniFile()
    : m_impl(std::make_unique<TImpl>())
{
}

TIniFile::~TIniFile() = default;

void TIniFile::LoadFromText(std::string_view text)
{
    m_impl->Ini.Reset();
    m_impl->HasBom = text.substr(0, Bom.size()) == Bom;
    if (m_impl->HasBom)
        text.remove_prefix(Bom.size());
    const std::size_t trailer = TrailingCommentStart(text);
    m_impl->Trailer = std::string(text.substr(trailer));
    const std::string body(text.substr(0, trailer));
    if (m_impl->Ini.LoadData(body.data(), body.size()) < 0)
        throw EFileError("", "файл настроек не разобран");
}

void TIniFile::LoadFromFile(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
        LoadFromText({});
        return;
    }
    try {
        LoadFromText(ReadWholeFile(path));
    } catch (const EFileError& e) {
        throw EFileError(path, e.Reason());
    }
}

std::string TIniFile::SaveToText() const
{
    std::string out;
    if (m_impl->HasBom)
        out += Bom;
    std::string body;
    if (m_impl->Ini.Save(body, false) < 0)
        throw EFileError("", "настройки не записываются в текст");
    out += body;
    if (!m_impl->Trailer.empty()) {
        if (!out.empty() && out.back() != '\n')
            out += '\n';
        out += m_impl->Trailer;
    }
    return out;
}

void TIniFile::SaveToFile(const std::string& path) const
{
    std::string text;
    try {
        text = SaveToText();
    } catch (const EFileError& e) {
        throw EFileError(path, e.Reason());
    }
    WriteFileAtomic(path, text);
}

bool TIniFile::HasKey(std::string_view section, std::string_view key) const
{
    return m_impl->Ini.GetValue(std::string(section).c_str(), std::string(key).c_str()) != nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, const std::string& def) const
{
    const char* value = m_impl->Ini.GetValue(std::string(section).c_str(), std::string(key).c_str());
    return value != nullptr ? std::string(value) : def;
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    const char* value = m_impl->Ini.GetValue(std::string(section).c_str(), std::string(key).c_str());
    if (value == nullptr)
        return def;
    return ParseIniInteger(value).value_or(def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    std::string text(value);
    if (text.find_first_of("\r\n") != std::string::npos)
        text.clear();
    // Replace every occurrence, so that a key written twice by hand ends up once.
    m_impl->Ini.SetValue(std::string(section).c_str(), std::string(key).c_str(), text.c_str(), nullptr, true);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key)
{
    m_impl->Ini.Delete(std::string(section).c_str(), std::string(key).c_str(), true);
}

} // namespace tildo
