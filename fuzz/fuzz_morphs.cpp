// The word-form rules loader and the matcher over any bytes: no crash, no hang
// (a "]" without "[" included), and the generated forms keep their shape.
#include "tools/morpho_gen.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void Exercise(const tildo::TMorphoGen& morphs, std::string_view word)
{
    for (const auto& pattern : morphs.Patterns) {
        const tildo::TEndingMatch match = tildo::MatchEnding(word, pattern);
        Check(match.Length >= 0 && static_cast<std::size_t>(match.Length) <= pattern.size());
    }
    for (const auto& candidate : morphs.FindParadigms(word)) {
        const tildo::TStringList forms = tildo::MakeForms(word, candidate.Cut, candidate.Endings);
        Check(forms.size()
            == static_cast<std::size_t>(std::count(candidate.Endings.begin(), candidate.Endings.end(), ','))
                + 1);
        const std::size_t cut = static_cast<std::size_t>(candidate.Cut);
        const std::string_view stem = cut <= word.size() ? word.substr(0, word.size() - cut) : word;
        for (const auto& form : forms)
            Check(std::string_view(form).substr(0, stem.size()) == stem);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tildo::TMorphoGen morphs;
    morphs.LoadMorphsText(bytes);
    Check(morphs.Count() == static_cast<int>(morphs.Patterns.size()) && morphs.Cuts.Count() == morphs.Count()
        && morphs.Endings.size() == morphs.Titles.size());
    for (int i = 0; i < morphs.Cuts.Count(); ++i)
        Check(morphs.Cuts[i] >= 0);

    // Words: a few fixed ones (CP1251 ёж, ёлка, an empty word) and the
    // input's first bytes.
    const std::string_view words[] = { "\xB8\xE6", "\xB8\xEB\xEA\xE0", "", "]", bytes.substr(0, 16) };
    for (const std::string_view word : words)
        Exercise(morphs, word);
    return 0;
}
