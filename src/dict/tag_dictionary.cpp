#include "dict/tag_dictionary.h"

#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "text/cp1251.h"
#include "text/file_messages.h"
#include "text/letters.h"

#include <cstring>

namespace tildo {

const std::array<std::string_view, static_cast<std::size_t>(TGrammeme::Count)> GrammemeNames
    = { "NOUN", "ADJF", "ADJS", "COMP", "VERB", "INFN", "PRTF", "PRTS", "GRND", "NUMR", "ADVB", "NPRO",
          "PRED", "PREP", "CONJ", "PRCL", "INTJ", "anim", "inan", "masc", "femn", "neut", "Ms-f", "sing",
          "plur", "nomn", "gent", "datv", "accs", "ablt", "loct", "voct", "1per", "2per", "3per", "pres",
          "past", "futr", "impr", "Apro", "Anum", "Supr", "pssv", "Abbr", "Prop", "Marg" };

std::string DescribeTags(TTagMask tags)
{
    std::string out;
    for (std::size_t i = 0; i < GrammemeNames.size(); ++i) {
        if ((tags >> i & 1) == 0)
            continue;
        if (!out.empty())
            out += ' ';
        out += GrammemeNames[i];
    }
    return out;
}

TTagMask TWordTags::All() const
{
    TTagMask all = 0;
    for (const TTagReading& r : Readings)
        all |= r.Tags;
    return all;
}

bool TWordTags::Any(TTagMask required, TTagMask excluded) const
{
    for (const TTagReading& r : Readings) {
        if ((r.Tags & required) == required && (r.Tags & excluded) == 0)
            return true;
    }
    return false;
}

bool TWordTags::AnyOfSpelling(std::uint32_t yoMask, TTagMask required, TTagMask excluded) const
{
    for (const TTagReading& r : Readings) {
        if (r.YoMask == yoMask && (r.Tags & required) == required && (r.Tags & excluded) == 0)
            return true;
    }
    return false;
}

bool TWordTags::Every(TTagMask anyOf) const
{
    if (Readings.empty())
        return false;
    for (const TTagReading& r : Readings) {
        if ((r.Tags & anyOf) == 0)
            return false;
    }
    return true;
}

bool TWordTags::HasSpelling(std::uint32_t yoMask) const
{
    for (const TTagReading& r : Readings) {
        if (r.YoMask == yoMask)
            return true;
    }
    return false;
}

std::uint32_t YoMaskOf(std::string_view word)
{
    std::uint32_t mask = 0;
    unsigned bit = 0;
    for (std::size_t i = word.size(); i-- > 0 && bit < 32;) {
        if (!IsAnyE(word[i]))
            continue;
        if (IsDottedE(word[i]))
            mask |= std::uint32_t(1) << bit;
        ++bit;
    }
    return mask;
}

namespace {

constexpr char Magic[] = "TILDOTAG";
constexpr std::size_t MagicSize = 8;
constexpr std::uint32_t Version = 1;
constexpr std::size_t HeaderSize = MagicSize + 10 * 4;
constexpr std::size_t NameSize = 8;
constexpr unsigned char Separator = 0x01;
// Far above what the lexicon needs; they bound the work of a hostile file.
constexpr std::int64_t MaxFileSize = std::int64_t(64) << 20;
constexpr std::uint32_t MaxSpellings = 16;
constexpr std::uint32_t MaxTagSetsPerSpelling = 256;
constexpr std::uint32_t MaxLists = 0x10000; // the automaton stores a list index in two bytes

std::uint32_t ReadU32(const std::string& data, std::size_t offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.data() + offset);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
        | std::uint32_t(p[3]) << 24;
}

std::uint64_t ReadU64(const std::string& data, std::size_t offset)
{
    return std::uint64_t(ReadU32(data, offset)) | std::uint64_t(ReadU32(data, offset + 4)) << 32;
}

// A varint of at most five bytes at pos, which must end before end.
bool ReadVarint(const std::string& data, std::size_t& pos, std::size_t end, std::uint32_t& value)
{
    std::uint64_t v = 0;
    for (unsigned shift = 0; shift < 35; shift += 7) {
        if (pos >= end)
            return false;
        const auto b = static_cast<unsigned char>(data[pos++]);
        v |= std::uint64_t(b & 0x7F) << shift;
        if ((b & 0x80) == 0) {
            if (v > 0xFFFFFFFFu)
                return false;
            value = static_cast<std::uint32_t>(v);
            return true;
        }
    }
    return false;
}

std::uint32_t Fnv1a(std::string_view bytes)
{
    std::uint32_t h = 0x811C9DC5u;
    for (const char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 0x01000193u;
    return h;
}

} // namespace

void TTagDictionary::Clear()
{
    m_data.clear();
    m_data.shrink_to_fit();
    m_keyCount = m_tagSetCount = m_listCount = 0;
    m_tagSets = m_listOffsets = m_listBytes = m_listSize = m_automaton = m_automatonSize = m_root = 0;
}

bool TTagDictionary::Load(const std::string& path, UserInterface& ui)
{
    Clear();
    if (RefuseInputFile(ui, path))
        return false;
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const EFileError& e) {
        ReportFileError(ui, e.Path(), e.Reason());
        return false;
    }
    std::string problem;
    if (!Parse(std::move(bytes), problem)) {
        ui.ErrorBox(Cp("Словарь грамматических признаков \"") + PathForDisplay(path)
            + Cp("\" повреждён и не загружен: ") + problem);
        return false;
    }
    return true;
}

bool TTagDictionary::Parse(std::string bytes, std::string& problem)
{
    Clear();
    m_data = std::move(bytes);
    if (!Check(problem)) {
        Clear();
        return false;
    }
    return true;
}

bool TTagDictionary::Check(std::string& problem)
{
    const std::string& d = m_data;
    if (d.size() < HeaderSize || d.compare(0, MagicSize, Magic) != 0) {
        problem = Cp("это не файл словаря признаков");
        return false;
    }
    if (static_cast<std::int64_t>(d.size()) > MaxFileSize) {
        problem = Cp("файл слишком велик");
        return false;
    }
    std::uint32_t h[10];
    for (std::size_t i = 0; i < 10; ++i)
        h[i] = ReadU32(d, MagicSize + 4 * i);
    const std::uint32_t version = h[0], grammemes = h[1];
    m_tagSetCount = h[2];
    m_listCount = h[3];
    m_keyCount = h[4];
    m_listSize = h[5];
    m_automatonSize = h[6];
    m_root = h[7];
    const std::uint32_t bodySize = h[8], checksum = h[9];
    if (version != Version) {
        problem = Cp("версия формата ") + std::to_string(version) + Cp(" вместо ") + std::to_string(Version);
        return false;
    }
    if (bodySize != d.size() - HeaderSize) {
        problem = Cp("файл обрезан или дописан: ") + std::to_string(d.size()) + Cp(" байт вместо ")
            + std::to_string(std::uint64_t(bodySize) + HeaderSize);
        return false;
    }
    // Each count is below the file size, so the sum below cannot overflow.
    const std::uint64_t expected = HeaderSize + std::uint64_t(grammemes) * NameSize
        + std::uint64_t(m_tagSetCount) * 8 + (std::uint64_t(m_listCount) + 1) * 4 + m_listSize
        + m_automatonSize;
    if (grammemes > d.size() || m_tagSetCount > d.size() || m_listCount > d.size() || expected != d.size()) {
        problem = Cp("размеры разделов не сходятся с размером файла");
        return false;
    }
    if (Fnv1a(std::string_view(d).substr(HeaderSize)) != checksum) {
        problem = Cp("контрольная сумма не сходится");
        return false;
    }
    if (grammemes != GrammemeNames.size()) {
        problem = Cp("другой набор граммем");
        return false;
    }
    std::size_t pos = HeaderSize;
    for (const std::string_view name : GrammemeNames) {
        const std::string_view stored(d.data() + pos, NameSize);
        const std::string_view trimmed = stored.substr(0, std::min(stored.find('\0'), NameSize));
        if (trimmed != name) {
            problem = Cp("другой набор граммем");
            return false;
        }
        pos += NameSize;
    }
    m_tagSets = static_cast<std::uint32_t>(pos);
    const TTagMask known = (TTagMask(1) << GrammemeNames.size()) - 1;
    for (std::uint32_t i = 0; i < m_tagSetCount; ++i) {
        if ((ReadU64(d, m_tagSets + 8 * std::size_t(i)) & ~known) != 0) {
            problem = Cp("неизвестная граммема в наборе ") + std::to_string(i);
            return false;
        }
    }
    m_listOffsets = m_tagSets + m_tagSetCount * 8;
    m_listBytes = m_listOffsets + (m_listCount + 1) * 4;
    m_automaton = m_listBytes + m_listSize;
    return CheckLists(problem) && CheckAutomaton(problem);
}

bool TTagDictionary::CheckLists(std::string& problem) const
{
    if (m_listCount > MaxLists) {
        problem = Cp("слишком много списков признаков");
        return false;
    }
    const std::string& d = m_data;
    for (std::uint32_t i = 0; i < m_listCount; ++i) {
        const std::uint32_t begin = ReadU32(d, m_listOffsets + 4 * std::size_t(i));
        const std::uint32_t end = ReadU32(d, m_listOffsets + 4 * std::size_t(i) + 4);
        bool good = begin <= end && end <= m_listSize && (i > 0 || begin == 0)
            && (i + 1 < m_listCount || end == m_listSize);
        std::size_t pos = m_listBytes + std::size_t(begin);
        const std::size_t stop = m_listBytes + std::size_t(end);
        std::uint32_t spellings = 0;
        good = good && ReadVarint(d, pos, stop, spellings) && spellings > 0 && spellings <= MaxSpellings;
        for (std::uint32_t s = 0; good && s < spellings; ++s) {
            std::uint32_t mask = 0, count = 0;
            good = ReadVarint(d, pos, stop, mask) && ReadVarint(d, pos, stop, count) && count > 0
                && count <= MaxTagSetsPerSpelling;
            for (std::uint32_t t = 0; good && t < count; ++t) {
                std::uint32_t tagSet = 0;
                good = ReadVarint(d, pos, stop, tagSet) && tagSet < m_tagSetCount;
            }
        }
        if (!good || pos != stop) {
            problem = Cp("испорчен список признаков ") + std::to_string(i);
            return false;
        }
    }
    return true;
}

bool TTagDictionary::CheckAutomaton(std::string& problem) const
{
    // Every state is read in file order; each target must be the start of an
    // earlier state, so that a walk always moves back and ends. The starts
    // are bits of 64-bit words, and a number of one byte is read without a call.
    const std::string& d = m_data;
    const auto* bytes = reinterpret_cast<const unsigned char*>(d.data());
    const std::size_t end = std::size_t(m_automaton) + m_automatonSize;
    std::vector<std::uint64_t> starts((std::size_t(m_automatonSize) + 63) / 64, 0);
    const auto read = [&](std::size_t& pos, std::uint32_t& value) {
        if (pos < end && bytes[pos] < 0x80) {
            value = bytes[pos++];
            return true;
        }
        return ReadVarint(d, pos, end, value);
    };
    std::size_t pos = m_automaton;
    std::size_t last = 0;
    bool good = m_automatonSize > 0;
    while (good && pos < end) {
        const std::size_t state = pos - m_automaton;
        starts[state / 64] |= std::uint64_t(1) << (state % 64);
        last = state;
        std::uint32_t count = 0;
        good = read(pos, count) && count <= 256 && count <= end - pos;
        if (!good)
            break;
        const std::size_t labels = pos;
        pos += count;
        for (std::uint32_t t = 0; good && t < count; ++t) {
            std::uint32_t distance = 0;
            good = (t == 0 || bytes[labels + t - 1] < bytes[labels + t]) && read(pos, distance)
                && distance >= 1 && distance <= state
                && (starts[(state - distance) / 64] >> ((state - distance) % 64) & 1) != 0;
        }
    }
    if (!good || pos != end || m_root != last) {
        problem = Cp("испорчен автомат словоформ");
        return false;
    }
    return true;
}

std::int64_t TTagDictionary::Follow(std::uint32_t state, unsigned char label) const
{
    const std::string& d = m_data;
    const std::size_t end = std::size_t(m_automaton) + m_automatonSize;
    std::size_t pos = std::size_t(m_automaton) + state;
    std::uint32_t count = 0;
    if (!ReadVarint(d, pos, end, count) || count > end - pos)
        return -1;
    const auto* labels = reinterpret_cast<const unsigned char*>(d.data() + pos);
    std::uint32_t index = 0;
    while (index < count && labels[index] < label)
        ++index;
    if (index == count || labels[index] != label)
        return -1;
    pos += count;
    std::uint32_t distance = 0;
    for (std::uint32_t t = 0; t <= index; ++t) {
        if (!ReadVarint(d, pos, end, distance))
            return -1;
    }
    if (distance == 0 || distance > state)
        return -1;
    return std::int64_t(state) - distance;
}

bool TTagDictionary::Single(std::uint32_t state, unsigned char& label, std::uint32_t& next) const
{
    const std::string& d = m_data;
    const std::size_t end = std::size_t(m_automaton) + m_automatonSize;
    std::size_t pos = std::size_t(m_automaton) + state;
    std::uint32_t count = 0;
    if (!ReadVarint(d, pos, end, count) || count != 1 || pos >= end)
        return false;
    label = static_cast<unsigned char>(d[pos++]);
    std::uint32_t distance = 0;
    if (!ReadVarint(d, pos, end, distance) || distance == 0 || distance > state)
        return false;
    next = state - distance;
    return true;
}

bool TTagDictionary::ReadList(std::uint32_t index, TWordTags& tags) const
{
    if (index >= m_listCount)
        return false;
    const std::string& d = m_data;
    std::size_t pos = std::size_t(m_listBytes) + ReadU32(d, m_listOffsets + 4 * std::size_t(index));
    const std::size_t stop
        = std::size_t(m_listBytes) + ReadU32(d, m_listOffsets + 4 * std::size_t(index) + 4);
    std::uint32_t spellings = 0;
    if (!ReadVarint(d, pos, stop, spellings))
        return false;
    for (std::uint32_t s = 0; s < spellings; ++s) {
        std::uint32_t mask = 0, count = 0;
        if (!ReadVarint(d, pos, stop, mask) || !ReadVarint(d, pos, stop, count))
            return false;
        for (std::uint32_t t = 0; t < count; ++t) {
            std::uint32_t tagSet = 0;
            if (!ReadVarint(d, pos, stop, tagSet) || tagSet >= m_tagSetCount)
                return false;
            tags.Readings.push_back({ ReadU64(d, m_tagSets + 8 * std::size_t(tagSet)), mask });
        }
    }
    return true;
}

bool TTagDictionary::Find(std::string_view word, TWordTags& tags) const
{
    tags.Readings.clear();
    if (m_data.empty() || word.empty() || word.size() > MaxWordLength)
        return false;
    std::int64_t state = m_root;
    for (const char c : word) {
        const char key = FoldChar(LowerChar(c));
        if (!IsRussianLetter(key))
            return false;
        state = Follow(static_cast<std::uint32_t>(state), static_cast<unsigned char>(key));
        if (state < 0)
            return false;
    }
    state = Follow(static_cast<std::uint32_t>(state), Separator);
    if (state < 0)
        return false;
    unsigned char high = 0, low = 0;
    std::uint32_t next = 0;
    if (!Single(static_cast<std::uint32_t>(state), high, next) || !Single(next, low, next))
        return false;
    if (!ReadList(std::uint32_t(high) << 8 | low, tags)) {
        tags.Readings.clear();
        return false;
    }
    return true;
}

} // namespace tildo
