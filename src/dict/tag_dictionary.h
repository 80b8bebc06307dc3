#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

class UserInterface;

// The grammemes the tag dictionary keeps, in the bit order of the file
// (tools/gen_dictionary/gen_tags.py writes the same list; a file with another
// list is refused).
enum class TGrammeme : std::uint8_t {
    // Parts of speech.
    Noun,
    Adjf,
    Adjs,
    Comp,
    Verb,
    Infn,
    Prtf,
    Prts,
    Grnd,
    Numr,
    Advb,
    Npro,
    Pred,
    Prep,
    Conj,
    Prcl,
    Intj,
    Anim,
    Inan,
    Masc,
    Femn,
    Neut,
    MsF, // MsF: common gender (сирота)
    Sing,
    Plur,
    Nomn,
    Gent,
    Datv,
    Accs,
    Ablt,
    Loct,
    Voct,
    Per1,
    Per2,
    Per3,
    Pres,
    Past,
    Futr,
    Impr,
    Apro, // pronominal adjective (весь, этот, мой)
    Anum, // ordinal numeral adjective
    Supr, // superlative
    Pssv, // passive participle
    Abbr,
    Prop, // a proper name: given name, surname, patronymic, place, organisation
    Marg, // archaic, informal, slang, distorted or erroneous reading
    Count
};

using TTagMask = std::uint64_t;

constexpr TTagMask Tag(TGrammeme g)
{
    return TTagMask(1) << static_cast<unsigned>(g);
}
template <class... T> constexpr TTagMask Tags(T... g)
{
    return (Tag(g) | ...);
}

inline constexpr TTagMask PartsOfSpeech = (Tag(TGrammeme::Intj) << 1) - 1;

// The file's names of the grammemes, indexed by TGrammeme.
extern const std::array<std::string_view, static_cast<std::size_t>(TGrammeme::Count)> GrammemeNames;

// The grammemes of a mask as the file names them, separated by blanks
// ("VERB sing 3per pres").
std::string DescribeTags(TTagMask tags);

// One reading of a word form: its grammemes, and which spelling it belongs to.
struct TTagReading
{
    TTagMask Tags = 0;
    // The spelling's ё letters: bit i set when the i-th е letter counted from
    // the end of the word is ё (see YoMaskOf).
    std::uint32_t YoMask = 0;
};

// The readings of one looked-up word, for every spelling that folds to it.
// Reused from lookup to lookup, so that a lookup allocates only while the
// storage grows.
class TWordTags
{
public:
    std::vector<TTagReading> Readings;

    bool Empty() const { return Readings.empty(); }
    // The union of the grammemes of every reading.
    TTagMask All() const;
    // True when a reading holds every grammeme of required and none of excluded.
    bool Any(TTagMask required, TTagMask excluded = 0) const;
    // The same over the readings of one spelling only.
    bool AnyOfSpelling(std::uint32_t yoMask, TTagMask required, TTagMask excluded = 0) const;
    // True when the word has readings and every one holds a grammeme of anyOf.
    bool Every(TTagMask anyOf) const;
    bool HasSpelling(std::uint32_t yoMask) const;
};

// The ё mask of a word as written (ё letters among its е letters, counted from
// the end of the word); 0 for a word without ё.
std::uint32_t YoMaskOf(std::string_view word);

// The word-form tag dictionary (data/tags.dat): for every word form of the
// lexicon, the grammemes of each of its readings, found by the form's
// spelling with ё read as е. It is read only when context judging is on; an
// empty dictionary finds nothing. The file is read whole and checked (size,
// checksum, every offset of its automaton and lists) before a lookup trusts
// it, so a damaged file is refused, never half-read.
class TTagDictionary
{
public:
    // Longest word looked up; longer words are not found.
    static constexpr std::size_t MaxWordLength = 64;

    bool Loaded() const { return !m_data.empty(); }
    std::uint32_t KeyCount() const { return m_keyCount; }
    void Clear();

    // Reads the file at path. A missing, unreadable or damaged file is
    // reported through ui with its path and refused: false, and the
    // dictionary is empty.
    bool Load(const std::string& path, UserInterface& ui);
    // Takes the bytes of a file; false with a short Russian reason (CP1251)
    // when they are not a whole, undamaged tag dictionary.
    bool Parse(std::string bytes, std::string& problem);

    // The readings of word (CP1251, any case, ё or е) into tags; false when
    // the dictionary does not know it (then tags is empty).
    bool Find(std::string_view word, TWordTags& tags) const;

private:
    bool Check(std::string& problem);
    bool CheckLists(std::string& problem) const;
    bool CheckAutomaton(std::string& problem) const;
    // The state reached from state by label, or -1.
    std::int64_t Follow(std::uint32_t state, unsigned char label) const;
    // The single label out of state and the state it leads to; false unless
    // the state has exactly one transition.
    bool Single(std::uint32_t state, unsigned char& label, std::uint32_t& next) const;
    bool ReadList(std::uint32_t index, TWordTags& tags) const;

    std::string m_data;
    std::uint32_t m_keyCount = 0;
    std::uint32_t m_tagSetCount = 0;
    std::uint32_t m_listCount = 0;
    std::uint32_t m_tagSets = 0; // offsets into m_data
    std::uint32_t m_listOffsets = 0;
    std::uint32_t m_listBytes = 0;
    std::uint32_t m_listSize = 0;
    std::uint32_t m_automaton = 0;
    std::uint32_t m_automatonSize = 0;
    std::uint32_t m_root = 0; // within the automaton
};

} // namespace tildo
