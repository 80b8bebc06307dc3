#include "morpho_gen.h"

#include "platform/file_io.h"

#include <limits>

namespace tildo {

TEndingMatch MatchEnding(std::string_view word, std::string_view pattern)
{
    TEndingMatch result;
    while (!pattern.empty() && !word.empty()) {
        std::string_view element = pattern.substr(pattern.size() - 1);
        std::size_t elementStart = pattern.size() - 1;
        if (pattern.back() == ']' && pattern.size() >= 2) {
            const std::size_t open = pattern.rfind('[', pattern.size() - 2);
            if (open != std::string_view::npos) {
                element = pattern.substr(open + 1, pattern.size() - open - 2);
                elementStart = open;
            }
        }
        pattern = pattern.substr(0, elementStart);
        ++result.Length;
        if (element.find(word.back()) == std::string_view::npos)
            return result;
        word.remove_suffix(1);
    }
    result.Matched = true;
    return result;
}

TStringList MakeForms(std::string_view baseWord, int cut, std::string_view endings)
{
    std::string_view stem = baseWord;
    if (cut > 0 && static_cast<std::size_t>(cut) <= baseWord.size())
        stem.remove_suffix(static_cast<std::size_t>(cut));
    TStringList forms;
    for (;;) {
        const std::size_t comma = endings.find(',');
        std::string form(stem);
        form += endings.substr(0, comma);
        forms.push_back(std::move(form));
        if (comma == std::string_view::npos)
            break;
        endings.remove_prefix(comma + 1);
    }
    return forms;
}

void TMorphoGen::Clear()
{
    Titles.clear();
    Patterns.clear();
    Cuts.Clear();
    Endings.clear();
    MorphsLoaded = false;
}

namespace {

// A non-negative decimal number that fits a 32-bit signed integer.
bool ParseCut(std::string_view field, int& cut)
{
    if (field.empty())
        return false;
    long long value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int>::max())
            return false;
    }
    cut = static_cast<int>(value);
    return true;
}

} // namespace

void TMorphoGen::AddMorphLine(std::string_view line, std::string& partOfSpeech)
{
    if (line.empty() || line[0] == '#')
        return;
    if (line[0] == '=') {
        partOfSpeech = std::string(line.substr(1));
        return;
    }
    const std::size_t first = line.find(':');
    if (first == std::string_view::npos)
        return;
    const std::size_t second = line.find(':', first + 1);
    if (second == std::string_view::npos)
        return;
    const std::size_t third = line.find(':', second + 1);
    if (third == std::string_view::npos)
        return;
    int cut = 0;
    if (!ParseCut(line.substr(second + 1, third - second - 1), cut))
        return;
    Titles.push_back(partOfSpeech + " (" + std::string(line.substr(0, first)) + ")");
    Patterns.emplace_back(line.substr(first + 1, second - first - 1));
    Cuts.Add(cut);
    Endings.emplace_back(line.substr(third + 1));
}

void TMorphoGen::LoadMorphs(const std::string& fileName)
{
    Clear();
    std::string partOfSpeech;
    TLineReader reader(fileName);
    std::string_view line;
    while (reader.Next(line))
        AddMorphLine(line, partOfSpeech);
    MorphsLoaded = true;
}

void TMorphoGen::LoadMorphsText(std::string_view bytes)
{
    Clear();
    std::string partOfSpeech;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (!line.empty() && line.back() == '\r') // as TLineReader: CR LF and a final CR end a line
            line.remove_suffix(1);
        AddMorphLine(line, partOfSpeech);
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
    }
    MorphsLoaded = true;
}

std::vector<TParadigmCandidate> TMorphoGen::FindParadigms(std::string_view baseWord) const
{
    std::vector<TParadigmCandidate> candidates;
    for (int i = 0; i < Count(); ++i) {
        const auto k = static_cast<std::size_t>(i);
        const TEndingMatch match = MatchEnding(baseWord, Patterns[k]);
        if (!match.Matched)
            continue;
        auto place = candidates.begin();
        while (place != candidates.end() && place->Cut >= match.Length)
            ++place;
        candidates.insert(place, TParadigmCandidate { Titles[k], Cuts[i], Endings[k] });
    }
    return candidates;
}

} // namespace tildo
