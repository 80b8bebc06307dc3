#include "combination_filter.h"

#include "dict/combination_dictionary.h"
#include "text/letters.h"

namespace tildo {

namespace {

constexpr int Probes = 3;

} // namespace

std::uint64_t TCombinationFilter::NormalHash(std::string_view text)
{
    std::uint64_t h = 14695981039346656037ull;
    bool inDigits = false;
    for (const char c : text) {
        if (c == '\\')
            continue;
        if (IsDigit(c)) {
            if (inDigits)
                continue;
            inDigits = true;
            h = (h ^ '0') * 1099511628211ull;
            continue;
        }
        inDigits = false;
        h = (h ^ static_cast<unsigned char>(LowerChar(c))) * 1099511628211ull;
    }
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 32);
}

void TCombinationFilter::Build(const TCombiWordsDic& combi)
{
    // About 32 bits per entry keep false passes near one in a thousand.
    std::uint64_t bits = 1024;
    while (bits < static_cast<std::uint64_t>(combi.Count()) * 32)
        bits *= 2;
    m_bits.assign(bits / 64, 0);
    m_mask = bits - 1;
    for (const std::string& key : combi.Keys) {
        const std::uint64_t h = NormalHash(key);
        const std::uint64_t step = (h >> 32) | 1;
        for (int i = 0; i < Probes; ++i) {
            const std::uint64_t bit = (h + static_cast<std::uint64_t>(i) * step) & m_mask;
            m_bits[bit / 64] |= std::uint64_t(1) << (bit % 64);
        }
    }
}

bool TCombinationFilter::MayMatch(std::string_view candidate) const
{
    if (m_bits.empty())
        return true; // not built: let every candidate through
    const std::uint64_t h = NormalHash(candidate);
    const std::uint64_t step = (h >> 32) | 1;
    for (int i = 0; i < Probes; ++i) {
        const std::uint64_t bit = (h + static_cast<std::uint64_t>(i) * step) & m_mask;
        if ((m_bits[bit / 64] & (std::uint64_t(1) << (bit % 64))) == 0)
            return false;
    }
    return true;
}

} // namespace tildo
