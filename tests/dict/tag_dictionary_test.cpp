#include "dict/tag_dictionary.h"
#include "platform/file_io.h"
#include "support/recording_ui.h"
#include "text/letters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

namespace tildo {
namespace {

using test::TRecordingUi;
using test::TTempDir;
using test::U;
using test::W;

const std::string ShippedFile = std::string(TILDO_DATA_DIR) + "/tags.dat";

const TTagDictionary& Shipped()
{
    static const TTagDictionary dic = [] {
        TTagDictionary d;
        TRecordingUi ui;
        d.Load(ShippedFile, ui);
        return d;
    }();
    return dic;
}

// The grammemes of each reading of one spelling, as the sample file writes them.
std::set<std::string> ReadingsOf(const TTagDictionary& dic, const std::string& spelling)
{
    TWordTags tags;
    dic.Find(spelling, tags);
    std::set<std::string> out;
    for (const TTagReading& r : tags.Readings) {
        if (r.YoMask == YoMaskOf(spelling))
            out.insert(DescribeTags(r.Tags));
    }
    return out;
}

TEST(TagDictionary, ShippedFileRoundTripsTheLexiconSample)
{
    ASSERT_TRUE(Shipped().Loaded());
    EXPECT_GT(Shipped().KeyCount(), 2'500'000u);
    // Written from the lexicon by gen_tags.py sample: every 20 000th key and
    // the words the judge leans on, each spelling with all its readings.
    std::ifstream in(std::string(TILDO_TEST_DATA_DIR) + "/tags_sample.txt");
    ASSERT_TRUE(in.good());
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string spelling = W(line.substr(0, tab));
        std::set<std::string> expected;
        std::stringstream sets(line.substr(tab + 1));
        std::string set;
        while (std::getline(sets, set, '|'))
            expected.insert(set);
        EXPECT_EQ(ReadingsOf(Shipped(), spelling), expected) << line;
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

TEST(TagDictionary, KnowsTheHomographsOfTheJudge)
{
    const TTagDictionary& dic = Shipped();
    TWordTags tags;
    using G = TGrammeme;
    ASSERT_TRUE(dic.Find(W("все"), tags));
    // The folded key carries both spellings: все and всё.
    const std::uint32_t plain = 0, dotted = YoMaskOf(W("всё"));
    EXPECT_EQ(dotted, 1u);
    EXPECT_TRUE(tags.AnyOfSpelling(plain, Tags(G::Adjf, G::Plur, G::Nomn)));
    EXPECT_FALSE(tags.AnyOfSpelling(plain, Tag(G::Sing)));
    EXPECT_TRUE(tags.AnyOfSpelling(dotted, Tags(G::Adjf, G::Neut, G::Sing, G::Nomn)));
    EXPECT_TRUE(tags.AnyOfSpelling(dotted, Tag(G::Advb)));
    EXPECT_TRUE(tags.Any(Tag(G::Apro)));

    ASSERT_TRUE(dic.Find(W("ЧЕМ"), tags)); // any case, ё or е
    EXPECT_TRUE(tags.AnyOfSpelling(0, Tag(G::Conj)));
    EXPECT_TRUE(tags.AnyOfSpelling(0, Tags(G::Npro, G::Ablt)));
    EXPECT_TRUE(tags.AnyOfSpelling(1, Tags(G::Npro, G::Loct)));
    EXPECT_FALSE(tags.AnyOfSpelling(1, Tag(G::Conj)));

    ASSERT_TRUE(dic.Find(W("берёт"), tags));
    EXPECT_TRUE(tags.AnyOfSpelling(0, Tags(G::Noun, G::Masc, G::Sing)));
    EXPECT_FALSE(tags.AnyOfSpelling(0, Tag(G::Verb)));
    EXPECT_TRUE(tags.AnyOfSpelling(1, Tags(G::Verb, G::Sing, G::Per3, G::Pres)));

    ASSERT_TRUE(dic.Find(W("звезды"), tags));
    EXPECT_TRUE(tags.AnyOfSpelling(0, Tags(G::Noun, G::Sing, G::Gent)));
    EXPECT_TRUE(tags.AnyOfSpelling(1, Tags(G::Noun, G::Plur, G::Nomn)));
    EXPECT_FALSE(tags.AnyOfSpelling(1, Tag(G::Sing)));

    // A word with two е letters, the ё one first: the mask counts from the end.
    ASSERT_TRUE(dic.Find(W("жёлтенький"), tags));
    EXPECT_TRUE(tags.HasSpelling(YoMaskOf(W("жёлтенький"))));
    EXPECT_EQ(YoMaskOf(W("жёлтенький")), 2u);

    EXPECT_FALSE(dic.Find(W("ъъъ"), tags));
    EXPECT_TRUE(tags.Empty());
    EXPECT_FALSE(dic.Find("word", tags));
    EXPECT_FALSE(dic.Find("", tags));
    EXPECT_FALSE(dic.Find(W("все-таки"), tags)); // a hyphen is never part of a key
    EXPECT_FALSE(dic.Find(std::string(TTagDictionary::MaxWordLength + 1, '\xE0'), tags));
    EXPECT_EQ(DescribeTags(Tags(G::Verb, G::Sing, G::Per3)), "VERB sing 3per");
}

// The FNV-1a sum the header carries, for building damaged files that still
// pass the checksum and must fail a structural check.
void Reseal(std::string& bytes)
{
    std::uint32_t h = 0x811C9DC5u;
    for (std::size_t i = 48; i < bytes.size(); ++i)
        h = (h ^ static_cast<unsigned char>(bytes[i])) * 0x01000193u;
    for (int i = 0; i < 4; ++i)
        bytes[44 + i] = static_cast<char>(h >> (8 * i));
}

TEST(TagDictionary, RefusesADamagedFileWithItsPath)
{
    const std::string good = ReadWholeFile(ShippedFile);
    TTempDir dir;
    const auto refused = [&](const std::string& bytes, const char* reason) {
        TRecordingUi ui;
        TTagDictionary dic;
        const std::string path = dir.Write("tags.dat", bytes);
        EXPECT_FALSE(dic.Load(path, ui));
        EXPECT_FALSE(dic.Loaded());
        TWordTags tags;
        EXPECT_FALSE(dic.Find(W("все"), tags));
        if (ui.Errors.size() != 1)
            return ADD_FAILURE() << "expected one message for " << reason;
        const std::string message = U(ui.Errors[0]);
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    };
    refused(good.substr(0, good.size() - 1), "обрезан");
    refused(good.substr(0, 30), "не файл словаря признаков");
    refused("TILDODIC" + good.substr(8), "не файл словаря признаков");
    std::string flipped = good;
    flipped[good.size() / 2] ^= 0x10;
    refused(flipped, "контрольная сумма");

    std::string version = good;
    version[8] = 2;
    refused(version, "версия формата 2");

    // The root must be the last state; a state pointing forward or at no state
    // is refused even with a good checksum.
    std::string root = good;
    root[36] ^= 1;
    Reseal(root);
    refused(root, "автомат");
    // The root's last distance ends the file: a continuation bit there makes
    // the number run past the end.
    std::string cut = good;
    cut.back() = '\x80';
    Reseal(cut);
    refused(cut, "автомат");
    // A tag set with a grammeme the program does not know.
    std::string grammeme = good;
    grammeme[48 + 8 * static_cast<std::size_t>(TGrammeme::Count) + 7] = '\x40';
    Reseal(grammeme);
    refused(grammeme, "неизвестная граммема");

    TRecordingUi ui;
    TTagDictionary dic;
    EXPECT_FALSE(dic.Load(dir.Path() + "/missing.dat", ui));
    ASSERT_EQ(ui.Errors.size(), 1u);
    EXPECT_NE(U(ui.Errors[0]).find("не найден"), std::string::npos);

    TTagDictionary again;
    TRecordingUi quiet;
    EXPECT_TRUE(again.Load(dir.Write("tags.dat", good), quiet));
    EXPECT_TRUE(quiet.Errors.empty());
    // The fuzz seed: a dictionary of a few words only, as gen_tags.py writes it.
    TTagDictionary small;
    std::string problem;
    ASSERT_TRUE(small.Parse(
        ReadWholeFile(std::string(TILDO_SOURCE_DIR) + "/fuzz/corpus/tag_dictionary/small.dat"), problem))
        << U(problem);
    TWordTags tags;
    EXPECT_EQ(small.KeyCount(), 6u);
    EXPECT_TRUE(small.Find(W("звёзды"), tags));
    EXPECT_FALSE(small.Find(W("озерами"), tags));
}

} // namespace
} // namespace tildo
