#pragma once

#include "dict/rare_yo_list.h"
#include "dict/tag_dictionary.h"
#include "engine/context_judge.h"

#include <memory>
#include <string>

namespace tildo {

class UserInterface;

// What "Решать по контексту" needs in the window: the tag dictionary and the
// rare-ё list, read at the first pass that has the option on and kept after.
// A file that cannot be read is shown in a box once; the passes then go on
// without context until the option is turned off and on again.
class TContextData
{
public:
    // The judge for the next pass: null while the option is off (nothing is
    // read then) or when the files could not be read.
    TContextJudge* JudgeFor(UserInterface& ui);
    // The same with the files named (tests, a copy with its own data).
    TContextJudge* JudgeFor(UserInterface& ui, const std::string& tagsPath, const std::string& rarePath);

    bool Loaded() const { return m_judge != nullptr; }

private:
    TTagDictionary m_tags;
    TRareYoList m_rare;
    std::unique_ptr<TContextJudge> m_judge;
    bool m_failed = false;
};

} // namespace tildo
