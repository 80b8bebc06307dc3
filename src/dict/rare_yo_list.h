#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tildo {

class UserInterface;

// Variants whose ё spelling is so rare beside the е word that е is the answer
// unless a combination says otherwise (маркер beside маркёр, небо beside
// нёбо), read from data/rare_yo.dat. Each line (CP1251) is a ё form, or a
// stem with * after it for every form that begins with it, then blanks and the
// reason; # begins a comment line. A form with + before it is the other way
// round: its е spelling is the rare one (броней, from броня, a booking,
// beside бронёй), and ё is the answer.
class TRareYoList
{
public:
    // Longest accepted line; a longer one is refused as damage.
    static constexpr std::size_t MaxLine = 400;

    bool Empty() const { return m_forms.empty() && m_stems.empty(); }
    std::size_t Size() const { return m_forms.size() + m_stems.size(); }
    void Clear();

    // Reads the file; a missing or malformed file is reported through ui with
    // its path and the line, and leaves the list empty.
    bool Load(const std::string& path, UserInterface& ui);
    // The lines of a file; false with a Russian reason (CP1251) naming the
    // first bad line.
    bool Parse(std::string_view text, std::string& problem);

    // The reason when dotted (a word's ё spelling, any case) is listed; empty
    // otherwise.
    std::string_view Reason(std::string_view dotted) const;
    // The listed form's ё spelling is the usual one (a + line): true; false
    // for an ordinary line or a form not listed.
    bool DottedUsual(std::string_view dotted) const;

private:
    struct TItem
    {
        std::string Form; // lower case, with ё
        std::string Reason;
        bool DottedUsual = false;
    };
    const TItem* Find(std::string_view dotted) const;
    std::vector<TItem> m_forms; // sorted by Form
    std::vector<TItem> m_stems;
};

} // namespace tildo
