#include "tools_fixture.h"

#include "platform/file_io.h"
#include "tools/morph_form.h"
#include "tools/morpho_gen.h"

#include <gtest/gtest.h>

namespace tildo::test {
namespace {

using Lines = std::vector<std::string>;

const char* const NounRules = "# правила\r\n"
                              "=Существительное\r\n"
                              "стол:[бвгджзклмнпрстфхцчшщ]:0:,а,у,ом,е,ы,ов,ам,ами,ах\r\n"
                              "лампа:а:1:а,ы,е,у,ой\r\n";

TMorphoGen Rules(const std::string& utf8Text)
{
    TMorphoGen morphs;
    morphs.LoadMorphsText(W(utf8Text));
    return morphs;
}

Lines Forms(const TMorphoGen& morphs, const std::string& word, std::size_t candidate = 0)
{
    const auto candidates = morphs.FindParadigms(W(word));
    if (candidate >= candidates.size())
        return { "<no candidate>" };
    const auto& c = candidates[candidate];
    return Us(MakeForms(W(word), c.Cut, c.Endings));
}

TEST(MorphoGen, NounExamples)
{
    TTempDir dir;
    TMorphoGen morphs;
    morphs.LoadMorphs(dir.Write("morphs.dat", W(NounRules)));
    EXPECT_TRUE(morphs.MorphsLoaded);
    ASSERT_EQ(morphs.Count(), 2);
    EXPECT_EQ(U(morphs.Titles[0]), "Существительное (стол)");

    const TEndingMatch match = MatchEnding(W("ёж"), morphs.Patterns[0]);
    EXPECT_TRUE(match.Matched);
    EXPECT_EQ(match.Length, 1);
    const auto candidates = morphs.FindParadigms(W("ёж"));
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(U(candidates[0].Title), "Существительное (стол)");
    EXPECT_EQ(Forms(morphs, "ёж"),
        (Lines { "ёж", "ёжа", "ёжу", "ёжом", "ёже", "ёжы", "ёжов", "ёжам", "ёжами", "ёжах" }));
    EXPECT_EQ(Forms(morphs, "ёлка"), (Lines { "ёлка", "ёлкы", "ёлке", "ёлку", "ёлкой" }));
    EXPECT_TRUE(morphs.FindParadigms(W("ёжи")).empty());
}

TEST(MorphoGen, MalformedLinesAreSkipped)
{
    const TMorphoGen morphs = Rules("без заголовка:ж:0:,а\n"
                                    "=Глагол\n"
                                    "плохо:а:2x:а\n"
                                    "минус:а:-1:а\n"
                                    "пусто:а::а\n"
                                    "два:а:1\n"
                                    "огромный:а:99999999999:а\n"
                                    "одно двоеточие\n"
                                    "хорошо:а:1:а,ы:ы\n");
    ASSERT_EQ(morphs.Count(), 2);
    EXPECT_EQ(U(morphs.Titles[0]), " (без заголовка)");
    EXPECT_EQ(U(morphs.Titles[1]), "Глагол (хорошо)");
    EXPECT_EQ(U(morphs.Endings[1]), "а,ы:ы") << "the endings may hold ':'";

    TMorphoGen missing;
    EXPECT_THROW(missing.LoadMorphs("/nonexistent/morphs.dat"), EFileError);
    EXPECT_FALSE(missing.MorphsLoaded);
}

TEST(MorphoGen, MatchEndingElementsAndOddBrackets)
{
    auto match = [](const char* word, const char* pattern) { return MatchEnding(W(word), W(pattern)); };
    // Three elements against a two-letter word: all its letters matched.
    EXPECT_TRUE(match("ёж", "аёж").Matched);
    EXPECT_EQ(match("ёж", "аёж").Length, 2);
    EXPECT_TRUE(match("ёж", "[ая][её]ж").Matched);
    EXPECT_FALSE(match("ёж", "[ая]еж").Matched);
    EXPECT_FALSE(match("ёЖ", "ж").Matched) << "case counts";
    EXPECT_FALSE(match("ж", "[]").Matched);
    EXPECT_TRUE(match("ёж", "").Matched);
    EXPECT_EQ(match("ёж", "").Length, 0);
    EXPECT_TRUE(match("", "ж").Matched);
    // A "]" with no "[" before it stands for itself and the walk ends.
    EXPECT_TRUE(match("ж]", "ж]").Matched);
    EXPECT_FALSE(match("ж", "]").Matched);
    EXPECT_TRUE(match("ёж]", "[её]ж]").Matched);
    EXPECT_EQ(match("ёж]", "[её]ж]").Length, 1) << "the set runs back to the nearest \"[\"";
}

TEST(MorphoGen, MakeFormsCutsAndEmptyEndings)
{
    EXPECT_EQ(Us(MakeForms(W("ёж"), 5, W("а,у"))), (Lines { "ёжа", "ёжу" })) << "a long cut removes nothing";
    EXPECT_EQ(Us(MakeForms(W("ёж"), 2, W("а,"))), (Lines { "а", "" }));
    EXPECT_EQ(Us(MakeForms(W("ёлка"), 1, "")), (Lines { "ёлк" }));
    EXPECT_EQ(Us(MakeForms(W("ёж"), 0, W(",и,"))), (Lines { "ёж", "ёжи", "ёж" }));
}

TEST(MorphoGen, LongerMatchesComeFirstWhateverTheFileOrder)
{
    const Lines a = { "=С", "A:а:1:а", "B:ка:2:ка", "C:а:0:" };
    const Lines b = { "=С", "C:а:0:", "B:ка:2:ка", "A:а:1:а" };
    for (const Lines& lines : { a, b }) {
        std::string text;
        for (const auto& line : lines)
            text += line + "\n";
        Lines titles;
        for (const auto& c : Rules(text).FindParadigms(W("ёлка")))
            titles.push_back(U(c.Title));
        EXPECT_EQ(titles, (Lines { "С (B)", "С (A)", "С (C)" })) << lines[1];
    }
}

TEST(MorphoGen, ManyMatchingRulesKeepTheOrderOfOneByOneInsertion)
{
    // Thousands of rules matching one word with lengths and cuts that do not
    // agree, against the list built by walking it for every insertion.
    const std::string word = "абвгдеж";
    std::string text = "=S\n";
    std::vector<std::pair<int, int>> cutAndLength;
    std::uint32_t state = 7;
    for (int i = 0; i < 3000; ++i) {
        state = state * 1103515245u + 12345u;
        const int length = 1 + static_cast<int>((state >> 16) % word.size());
        const int cut = static_cast<int>((state >> 8) % 9);
        text += std::to_string(i) + ":" + word.substr(word.size() - length) + ":" + std::to_string(cut)
            + ":x\n";
        cutAndLength.emplace_back(cut, length);
    }
    std::vector<int> expected; // rule numbers in list order
    for (int i = 0; i < static_cast<int>(cutAndLength.size()); ++i) {
        auto place = expected.begin();
        while (place != expected.end()
            && cutAndLength[static_cast<std::size_t>(*place)].first
                >= cutAndLength[static_cast<std::size_t>(i)].second)
            ++place;
        expected.insert(place, i);
    }
    TMorphoGen morphs;
    morphs.LoadMorphsText(text);
    const auto candidates = morphs.FindParadigms(word);
    ASSERT_EQ(candidates.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k)
        ASSERT_EQ(candidates[k].Title, "S (" + std::to_string(expected[k]) + ")") << k;
}

TEST(MorphForm, ChoosingATitleShowsItsForms)
{
    const TMorphoGen morphs = Rules("=С\nлампа:а:1:а,ы\n=Д\nвсё:а:0:,х\nвсё:ка:2:ки\n");
    TMorphForm form(morphs);
    form.Prepare(W("ёлка"));
    EXPECT_EQ(Us(form.WordTypes()), (Lines { "Д (всё)", "С (лампа)", "Д (всё)" }));
    EXPECT_EQ(form.ChosenWordType(), 0);
    EXPECT_EQ(Us(form.WordForms), (Lines { "ёлки" }));
    form.ChooseWordType(W("С (лампа)"));
    EXPECT_EQ(Us(form.WordForms), (Lines { "ёлка", "ёлкы" }));
    form.WordForms.clear();
    form.ChooseWordType(W("Д (всё)")); // the first of the equal titles
    EXPECT_EQ(form.ChosenWordType(), 0);
    EXPECT_EQ(Us(form.WordForms), (Lines { "ёлки" }));

    form.Prepare(W("ёж"));
    EXPECT_TRUE(form.WordTypes().empty());
    EXPECT_EQ(form.ChosenWordType(), -1);
    EXPECT_TRUE(form.WordForms.empty());
}

// --- the editor's command ------------------------------------------------------------

struct TMorphFixture : TEditorFixture
{
    TMorphFixture() { Morphs.LoadMorphs(Dir.Write("morphs.dat", W(NounRules))); }
};

TEST(Morph1, VariantMarkGoesOnEveryFormUnderTheBaseWord)
{
    TMorphFixture f;
    SetPane(f.Word, { "ёлка", "ёж?", "ель" });
    f.Word.Select(f.Word.LineStart(1) + 1, 0);
    f.Editor.Morph1Click();
    EXPECT_EQ(f.Dialog.SeenTitles, (Lines { "Существительное (стол)" }));
    EXPECT_EQ(PaneUtf8(f.Word),
        (Lines { "ёлка", "ёж?", "ёж?", "ёжа?", "ёжу?", "ёжом?", "ёже?", "ёжы?", "ёжов?", "ёжам?", "ёжами?",
            "ёжах?", "ель" }));
    EXPECT_EQ(f.Word.SelStart(), f.Word.LineStart(1));
    EXPECT_EQ(f.Word.SelLength(), 0);
    EXPECT_EQ(f.Word.CharColour(f.Word.LineStart(1)), ColourBlack);
    EXPECT_EQ(f.Word.CharColour(f.Word.LineStart(2)), ColourBlue);
    EXPECT_EQ(f.Word.CharColour(f.Word.LineStart(11) + 4), ColourBlue);
    EXPECT_EQ(f.Word.CharColour(f.Word.LineStart(12)), ColourBlack);
}

TEST(Morph1, TheDialogDecidesWhatIsInserted)
{
    TMorphFixture f;
    SetPane(f.Word, { "ёж?" });
    f.Dialog.Script = [](TMorphForm&) { return false; };
    f.Editor.Morph1Click();
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёж?" }));

    f.Dialog.Script = [](TMorphForm& form) {
        form.WordForms.clear();
        return true;
    };
    f.Editor.Morph1Click();
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёж?" }));

    f.Dialog.Script = [](TMorphForm& form) {
        form.WordForms = { "" };
        return true;
    };
    f.Editor.Morph1Click();
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёж?", "?" }));

    // The last line of the pane, no variant, edited forms.
    SetPane(f.Word, { "ёлка" });
    f.Dialog.Script = [](TMorphForm& form) {
        form.WordForms.erase(form.WordForms.begin());
        return true;
    };
    f.Editor.Morph1Click();
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёлка", "ёлкы", "ёлке", "ёлку", "ёлкой" }));

    // No paradigm fits: an empty list, and accepting inserts nothing.
    SetPane(f.Word, { "ёжи" });
    f.Dialog.Script = [](TMorphForm&) { return true; };
    f.Editor.Morph1Click();
    EXPECT_TRUE(f.Dialog.SeenTitles.empty());
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёжи" }));
}

} // namespace
} // namespace tildo::test
