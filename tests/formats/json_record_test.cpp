// JSON Lines records: which strings a field path finds, how changed letters
// are spelt back, and which records are refused.

#include "formats/json_record.h"
#include "text/letters.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

// Every е (either case) becomes ё, as a stand-in for a pass.
void DotAll(MemoryDocument& doc)
{
    const std::string text = doc.TextRef();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == LetterE || c == LetterCapitalE) {
            doc.Select(static_cast<int>(i), 1);
            doc.ReplaceSelection(std::string(1, c == LetterE ? LetterYo : LetterCapitalYo));
        }
    }
}

std::string Restored(std::string record, std::string_view field, bool* ok = nullptr)
{
    std::string error;
    const bool accepted = RestoreJsonRecord(record, SplitFieldPath(field), DotAll, error);
    if (ok != nullptr)
        *ok = accepted;
    return record;
}

TEST(JsonRecord, ChangedLettersKeepTheirSpellingAndEverythingElseStays)
{
    // Raw UTF-8, lower- and upper-case escapes, an escaped key, a repeated key.
    EXPECT_EQ(Restored(R"({"t": "ел \u0435 \u0415\u0049", "n": 1})", "t"),
        R"({"t": "ёл \u0451 \u0401\u0049", "n": 1})");
    EXPECT_EQ(Restored(R"({"\u0074": "е", "t": "Е"})", "t"), R"({"\u0074": "ё", "t": "Ё"})");
    // Only the string at the path: not an array's, not a deeper one, not a number.
    EXPECT_EQ(Restored(R"({"a": ["е"], "b": {"a": "е"}, "c": 5})", "a"),
        R"({"a": ["е"], "b": {"a": "е"}, "c": 5})");
    EXPECT_EQ(Restored(R"({"a":{"b":{"c":"е"}}})", "a.b.c"), R"({"a":{"b":{"c":"ё"}}})");
    // A surrogate pair and CR LF before the letter keep the positions right.
    EXPECT_EQ(Restored(R"({"t": "\ud83d\ude00😀\r\nе"})", "t"), R"({"t": "\ud83d\ude00😀\r\nё"})");
    EXPECT_TRUE(SplitFieldPath("a..b").empty());
    EXPECT_TRUE(SplitFieldPath("").empty());
}

TEST(JsonRecord, MalformedRecordsAreRefusedAndLeftAlone)
{
    const std::string bad[] = {
        R"([1, 2])",
        R"({"t": "е"} x)",
        R"({"t": "е)",
        R"({"t": "\x"})",
        R"({"t": 01})",
        R"({"t": tru})",
        "{\"t\": \"\x01\"}",
        "{\"t\": \"\xD0\"}",
        R"({"t" "е"})",
        R"({"t": "е",})",
        std::string(300, '[') + std::string(300, ']'),
        "{\"a\":" + std::string(300, '[') + std::string(300, ']') + "}",
    };
    for (const std::string& record : bad) {
        bool ok = true;
        EXPECT_EQ(Restored(record, "t", &ok), record);
        EXPECT_FALSE(ok) << record;
    }
    bool ok = false;
    const std::string deepButFine
        = "{\"a\":" + std::string(100, '[') + std::string(100, ']') + ", \"t\": \"е\"}";
    EXPECT_NE(Restored(deepButFine, "t", &ok), deepButFine);
    EXPECT_TRUE(ok);
}

TEST(JsonRecord, LongStringsAreComparedPieceByPieceWithoutLosingTheirPlace)
{
    // Bodies of several pieces, each spelling of a letter, a CR LF and a
    // surrogate pair on the pieces' edges wherever they fall, and a leading
    // byte-order mark (no character of the text, so not counted).
    const std::string units[] = { "еж ", "\\u0435 ", "a\\r\\nе", "\\ud83d\\ude00е", "ь\\\"е\\\\" };
    const std::string dotted[] = { "ёж ", "\\u0451 ", "a\\r\\nё", "\\ud83d\\ude00ё", "ь\\\"ё\\\\" };
    for (const std::string& lead : { std::string(), std::string("\xEF\xBB\xBF"), std::string("\\ufeff") }) {
        std::string body = lead;
        std::string expected = lead;
        for (std::size_t i = 0; body.size() < 400'000; ++i) {
            const std::size_t k = (i * 7 + i / 5) % 5; // a mix that does not repeat with the pieces
            body += units[k];
            expected += dotted[k];
        }
        const std::string record = "{\"t\": \"" + body + "\", \"u\": \"е\"}";
        bool ok = false;
        const std::string restored = Restored(record, "t", &ok);
        EXPECT_TRUE(ok);
        EXPECT_TRUE(restored == "{\"t\": \"" + expected + "\", \"u\": \"е\"}") << "lead " << lead.size();
        // A CR that fills a piece to the byte: its LF must stay with it.
        const std::string filler((1 << 16) - 1 - (lead.empty() ? 0 : 3), 'x');
        const std::string edge = "{\"t\": \"" + lead + filler + "\\r\\nе\"}";
        EXPECT_EQ(Restored(edge, "t"), "{\"t\": \"" + lead + filler + "\\r\\nё\"}");
        // A letter changed at the very end of a long body.
        const std::string tail = "{\"t\": \"" + lead + std::string(200'000, ' ') + "е\"}";
        EXPECT_EQ(Restored(tail, "t"), "{\"t\": \"" + lead + std::string(200'000, ' ') + "ё\"}");
    }
}

} // namespace
} // namespace tildo
