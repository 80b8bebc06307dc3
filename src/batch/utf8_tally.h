#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tildo {

// Whether a text read as CP1251 was meant as UTF-8 with a few broken bytes.
// The text goes in by pieces in order; a character may be cut between them.
class TUtf8Tally
{
public:
    void Add(std::string_view piece);
    // A piece known to be well-formed UTF-8 ending with a whole character:
    // only counted, which is faster than walking it.
    void AddWellFormed(std::string_view piece);
    // After the last piece.
    void Finish();
    // Some bytes break UTF-8, but fewer than the well-formed multibyte characters.
    bool LooksBroken() const { return m_broken > 0 && m_valid > m_broken; }
    // The warning naming the first broken byte and how to insist on UTF-8.
    std::string Warning(const std::string& path) const;

private:
    void Walk(std::string_view bytes, bool last);

    std::uint64_t m_valid = 0;
    std::uint64_t m_broken = 0;
    std::uint64_t m_offset = 0; // of the first byte not yet walked
    std::uint64_t m_firstBroken = 0;
    unsigned char m_firstByte = 0;
    std::string m_carry;
};

// Says so on standard error when a whole text read as CP1251 looks like
// broken UTF-8.
void WarnOfBrokenUtf8(const std::string& path, std::string_view bytes);

} // namespace tildo
