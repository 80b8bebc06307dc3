// How often the context judge is sure and right on texts that write ё
// consistently. Each text (UTF-8) is folded (ё read as е); every word that
// the main dictionary holds as a variant is judged from its folded
// neighbours within its line, and a sure answer is compared with the
// original spelling. Prints per family: occurrences, sure decisions, their
// precision, and how many the judge could not tell.
//
//   judge_accuracy [--data DIR] [--show] [--every] [--words] TEXT...
//
// --show lists every wrong sure decision with its evidence and the words
// around it; --every lists every sure decision and lean, right ones too (to
// weigh a rule by its evidence); --words adds a line per variant word.
#include "dict/main_dictionary.h"
#include "dict/rare_yo_list.h"
#include "dict/tag_dictionary.h"
#include "engine/context_judge.h"
#include "platform/file_io.h"
#include "platform/null_user_interface.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tildo {
namespace {

struct TCount
{
    long Occurrences = 0;
    long Dotted = 0; // the original writes ё
    long Sure = 0;
    long Right = 0;
    long CannotTell = 0;
    long SurePlain = 0;
    long SureDotted = 0;
    long Leans = 0; // of the words it cannot tell, those it leans on
    long LeansRight = 0;
};

const char* FamilyName(TJudgeFamily f)
{
    return JudgeFamilyName(f).data(); // the names are literals
}

struct TToken
{
    std::size_t Start;
    std::size_t Length;
};

int Run(int argc, char** argv)
{
    std::string data = TILDO_DATA_DIR;
    bool show = false;
    bool words = false;
    bool every = false;
    std::vector<std::string> texts;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--data" && i + 1 < argc)
            data = argv[++i];
        else if (a == "--show")
            show = true;
        else if (a == "--words")
            words = true;
        else if (a == "--every")
            every = true;
        else
            texts.push_back(a);
    }
    TNullUserInterface ui;
    TDic dic;
    dic.FileName = data + "/tildo.dat";
    dic.ReadDic(ui);
    TTagDictionary tags;
    const auto loadStart = std::chrono::steady_clock::now();
    if (!tags.Load(data + "/tags.dat", ui)) {
        std::fprintf(stderr, "cannot load %s/tags.dat\n", data.c_str());
        return 3;
    }
    const double loadSeconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();
    TRareYoList rare;
    if (!rare.Load(data + "/rare_yo.dat", ui)) {
        std::fprintf(stderr, "cannot load %s/rare_yo.dat\n", data.c_str());
        return 3;
    }
    TContextJudge judge(tags, rare);

    std::map<std::string, TCount> families;
    std::map<std::string, TCount> byWord;
    long wordsSeen = 0;
    double judgeSeconds = 0;
    long judged = 0;
    for (const std::string& path : texts) {
        const std::string original = Utf8ToCp1251(ReadWholeFile(path));
        const std::string folded = FoldDottedE(original);
        std::size_t lineStart = 0;
        while (lineStart < folded.size()) {
            std::size_t lineEnd = folded.find('\n', lineStart);
            if (lineEnd == std::string::npos)
                lineEnd = folded.size();
            std::vector<TToken> tokens;
            for (std::size_t i = lineStart; i < lineEnd;) {
                if (!IsRussianLetter(folded[i])) {
                    ++i;
                    continue;
                }
                std::size_t j = i;
                while (j < lineEnd && IsRussianLetter(folded[j]))
                    ++j;
                tokens.push_back({ i, j - i });
                i = j;
            }
            wordsSeen += static_cast<long>(tokens.size());
            const auto gapBefore = [&](std::size_t k) {
                const std::size_t from = k == 0 ? lineStart : tokens[k - 1].Start + tokens[k - 1].Length;
                return std::string_view(folded).substr(from, tokens[k].Start - from);
            };
            for (std::size_t k = 0; k < tokens.size(); ++k) {
                const std::string_view word
                    = std::string_view(folded).substr(tokens[k].Start, tokens[k].Length);
                if (!HasAnyE(word))
                    continue;
                const int form = dic.FindForm(ToLower(word));
                if (form < 0 || dic.FormVariant[form] == 0)
                    continue;
                const std::string dotted = ApplyCase(dic.Forms[form], word);
                const std::string_view written
                    = std::string_view(original).substr(tokens[k].Start, tokens[k].Length);
                const bool truthDotted = HasDottedE(written);
                if (truthDotted && !EqualLower(written, dotted))
                    continue; // the text puts its ё elsewhere
                // A hyphen joins the word to a neighbour: the pass sees a compound.
                const bool hyphenBefore = gapBefore(k) == "-";
                const bool hyphenAfter = k + 1 < tokens.size() && gapBefore(k + 1) == "-";
                if (hyphenBefore || hyphenAfter)
                    continue;
                TJudgeNeighbour before[TJudgeInput::Reach], after[TJudgeInput::Reach];
                std::size_t nb = 0, na = 0;
                for (; nb < TJudgeInput::Reach && nb < k; ++nb) {
                    const std::size_t t = k - 1 - nb;
                    before[nb] = { std::string_view(folded).substr(tokens[t].Start, tokens[t].Length),
                        gapBefore(t + 1) };
                }
                for (; na < TJudgeInput::Reach && k + 1 + na < tokens.size(); ++na) {
                    const std::size_t t = k + 1 + na;
                    after[na] = { std::string_view(folded).substr(tokens[t].Start, tokens[t].Length),
                        gapBefore(t) };
                }
                TJudgeInput in;
                in.Word = word;
                in.Dotted = dotted;
                in.Before = std::span<const TJudgeNeighbour>(before, nb);
                in.After = std::span<const TJudgeNeighbour>(after, na);
                in.TextStartsBefore = nb < TJudgeInput::Reach;
                in.TextEndsAfter = na < TJudgeInput::Reach;
                const auto start = std::chrono::steady_clock::now();
                const TContextVerdict v = judge.Judge(in);
                judgeSeconds
                    += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                ++judged;
                for (TCount* c : { &families[FamilyName(v.Family)], &families["total"],
                         &byWord[Cp1251ToUtf8(ToLower(dic.Forms[form]))] }) {
                    ++c->Occurrences;
                    c->Dotted += truthDotted;
                    if (v.Answer == TAnswer::None) {
                        ++c->CannotTell;
                        if (v.Lean != TAnswer::None) {
                            ++c->Leans;
                            c->LeansRight += (v.Lean == TAnswer::Dotted) == truthDotted;
                        }
                        continue;
                    }
                    ++c->Sure;
                    (v.Answer == TAnswer::Dotted ? c->SureDotted : c->SurePlain)++;
                    c->Right += (v.Answer == TAnswer::Dotted) == truthDotted;
                }
                const TAnswer given = v.Answer != TAnswer::None ? v.Answer : v.Lean;
                const bool givenWrong = (given == TAnswer::Dotted) != truthDotted;
                if (given != TAnswer::None && ((show && givenWrong) || every)) {
                    const std::size_t from = nb > 0 ? tokens[k - nb].Start : tokens[k].Start;
                    const std::size_t to = na > 0 ? tokens[k + na].Start + tokens[k + na].Length
                                                  : tokens[k].Start + tokens[k].Length;
                    const bool sure = v.Answer != TAnswer::None;
                    std::printf("%s %s [%s] %s | %s\n",
                        givenWrong ? (sure ? "WRONG" : "LEAN-WRONG") : (sure ? "RIGHT" : "LEAN-RIGHT"),
                        FamilyName(v.Family), Cp1251ToUtf8(written).c_str(), Cp1251ToUtf8(v.Evidence).c_str(),
                        Cp1251ToUtf8(original.substr(from, to - from)).c_str());
                }
            }
            lineStart = lineEnd + 1;
        }
    }
    const auto print = [](const std::string& name, const TCount& c) {
        const long wrong = c.Sure - c.Right;
        std::printf("%-16s %7ld %6ld %6ld %6ld (е %ld, ё %ld) %6ld wrong  precision %s  cannot tell %ld"
                    "  leans %ld, right %ld\n",
            name.c_str(), c.Occurrences, c.Dotted, c.Occurrences - c.Dotted, c.Sure, c.SurePlain,
            c.SureDotted, wrong,
            c.Sure > 0 ? std::to_string(100.0 * c.Right / c.Sure).substr(0, 6).c_str() : "-", c.CannotTell,
            c.Leans, c.LeansRight);
    };
    std::printf("%ld words; tags.dat loaded in %.3f s; %ld judgements, %.2f us each\n", wordsSeen,
        loadSeconds, judged, judged > 0 ? 1e6 * judgeSeconds / judged : 0.0);
    std::printf("%-16s %7s %6s %6s %6s\n", "family", "occurs", "ё", "е", "sure");
    for (const auto& [name, c] : families)
        print(name, c);
    if (words) {
        for (const auto& [name, c] : byWord)
            print(name, c);
    }
    return 0;
}

} // namespace
} // namespace tildo

int main(int argc, char** argv)
{
    return tildo::Run(argc, argv);
}
