#pragma once

#include <cstdint>

namespace tildo {

// An answer to a question about a word, and what the standing choices, the
// remembered answers and a combination's verdict say about it.
enum class TAnswer : std::uint8_t {
    None, // no answer (nothing remembered; an asker that gives nothing cancels)
    Plain, // write the е form
    Dotted, // write the ё form
    AlwaysPlain, // е, and from now on е for this word form
    AlwaysDotted, // ё, and from now on ё for this word form
    Undo, // take back the last asked replacement and ask again
    Cancel, // abort the pass
};

// The dictionary keeps remembered answers and standing choices in a byte
// each: 0 none, 1 е, 2 ё.
constexpr std::int8_t StoredChoice(TAnswer answer)
{
    return answer == TAnswer::Plain ? 1 : (answer == TAnswer::Dotted ? 2 : 0);
}
constexpr TAnswer ChoiceOfStored(int stored)
{
    return stored == 1 ? TAnswer::Plain : (stored == 2 ? TAnswer::Dotted : TAnswer::None);
}

} // namespace tildo
