// Compares the engine with PCRE2 on generated patterns and texts. Each pattern
// is written twice from one random structure: once in the engine's syntax with
// its modifiers, and once for PCRE2 with every modifier's effect spelled out
// (case pairs as classes, alphabets and sets as explicit bytes, line anchors as
// look-arounds), so both must give the same leftmost backtracking match.
#include "esc_after_ui.h"
#include "regex/pattern_engine.h"
#include "text/letters.h"

#include <pcre2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace tildo {
namespace {

struct TMods
{
    bool I = false;
    bool R = true;
    bool S = true;
    bool G = true;
    bool M = false;
};

struct TPiece
{
    std::string Mine;
    std::string Pcre;
    bool Solid = false; // never matches the empty string
    bool Quantifiable = true;
};

unsigned char Other(unsigned char c)
{
    const auto upper = static_cast<unsigned char>(UpperChar(static_cast<char>(c)));
    return upper != c ? upper : static_cast<unsigned char>(LowerChar(static_cast<char>(c)));
}

std::string PcreByte(unsigned char c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x{%02x}", c);
    return buf;
}

// A PCRE2 class holding exactly the bytes of `in`.
std::string PcreClass(const std::vector<bool>& in)
{
    std::string members;
    for (int c = 0; c < 256; ++c) {
        if (!in[static_cast<std::size_t>(c)])
            continue;
        int end = c;
        while (end + 1 < 256 && in[static_cast<std::size_t>(end) + 1])
            ++end;
        members += PcreByte(static_cast<unsigned char>(c));
        if (end > c)
            members += "-" + PcreByte(static_cast<unsigned char>(end));
        c = end;
    }
    return members.empty() ? "(?!)" : "[" + members + "]";
}

const unsigned char LiteralPool[] = { 'a', 'b', 'c', 'A', 'B', '_', '1', ' ', '.', '-', '{', '*', '\n', '\r',
    0xE0, 0xE1, 0xFF, 0xB8, 0xA8, 0xC0, 0xDF, 0xE5, 0xC5 };

class TGenerator
{
public:
    explicit TGenerator(unsigned seed)
        : m_rng(seed)
    {
    }

    int Rand(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool Chance(int percent) { return Rand(100) < percent; }

    // A whole pattern under the starting modifiers; x adds blanks and comments
    // to the engine's version.
    TPiece Pattern(TMods mods, bool x)
    {
        m_groups = 0;
        m_closed.clear();
        m_x = x;
        return Alternation(0, mods);
    }

    std::string Text()
    {
        static const char* const tokens[] = { "a", "b", "c", "A", "B", "_", "1", "2", " ", "\n", "\r\n", "\r",
            "\t", "\xE0", "\xE1", "\xFF", "\xB8", "\xA8", "\xC0", "\xDF", "\xE5", "-", ".", "{", "ab", "ba" };
        std::string text;
        const int n = Rand(16);
        for (int i = 0; i < n; ++i)
            text += tokens[Rand(static_cast<int>(std::size(tokens)))];
        return text;
    }

private:
    TPiece Alternation(int depth, TMods& mods)
    {
        TPiece result = Sequence(depth, mods);
        const int more = depth < 3 && Chance(25) ? 1 + Rand(2) : 0;
        for (int i = 0; i < more; ++i) {
            const TPiece alt = Sequence(depth, mods);
            result.Mine += "|" + alt.Mine;
            result.Pcre += "|" + alt.Pcre;
            result.Solid = result.Solid && alt.Solid;
        }
        return result;
    }

    TPiece Sequence(int depth, TMods& mods)
    {
        TPiece result;
        result.Solid = false;
        const int n = Rand(4) + (depth == 0 ? 1 : 0);
        for (int i = 0; i < n; ++i) {
            if (Chance(8))
                result.Mine += Modifiers(mods);
            if (Chance(3))
                result.Mine += "(?#note)";
            if (m_x && Chance(30))
                result.Mine += Chance(80) ? " " : " # note\n";
            const TPiece piece = Piece(depth, mods);
            result.Mine += piece.Mine;
            result.Pcre += piece.Pcre;
            result.Solid = result.Solid || piece.Solid;
        }
        return result;
    }

    std::string Modifiers(TMods& mods)
    {
        std::string on, off;
        auto flip = [&](bool& flag, char letter) {
            if (!Chance(40))
                return;
            flag = !flag;
            (flag ? on : off) += Chance(20) ? static_cast<char>(letter - 32) : letter;
        };
        flip(mods.I, 'i');
        flip(mods.R, 'r');
        flip(mods.S, 's');
        flip(mods.G, 'g');
        flip(mods.M, 'm');
        return "(?" + on + (off.empty() ? "" : "-" + off) + ")";
    }

    TPiece Piece(int depth, TMods& mods)
    {
        TPiece atom = Atom(depth, mods);
        if (!atom.Quantifiable || !Chance(35))
            return atom;
        std::string q;
        int min = 0;
        switch (atom.Solid ? Rand(6) : 2) {
        case 0:
            q = "*";
            break;
        case 1:
            q = "+";
            min = 1;
            break;
        case 2:
            q = "?";
            break;
        case 3:
            min = Rand(3);
            q = "{" + std::to_string(min) + "}";
            break;
        case 4:
            min = Rand(3);
            q = "{" + std::to_string(min) + ",}";
            break;
        default:
            min = Rand(3);
            q = "{" + std::to_string(min) + "," + std::to_string(min + Rand(3)) + "}";
            break;
        }
        const bool lazySuffix = Chance(30);
        const bool lazy = lazySuffix || !mods.G;
        TPiece piece;
        piece.Mine = atom.Mine + (m_x && Chance(30) ? " " : "") + q + (lazySuffix ? "?" : "");
        piece.Pcre = atom.Pcre + q + (lazy ? "?" : "");
        piece.Solid = atom.Solid && min > 0;
        piece.Quantifiable = false;
        return piece;
    }

    TPiece Atom(int depth, TMods& mods)
    {
        const int kind = Rand(depth < 3 ? 10 : 8);
        switch (kind) {
        case 0:
        case 1:
        case 2:
            return Literal(mods);
        case 3:
            return Set(mods);
        case 4:
            return ClassEscape();
        case 5:
            return Dot(mods);
        case 6:
            return Anchor(mods);
        case 7:
            return BackRef(mods);
        default:
            return Group(depth, mods);
        }
    }

    TPiece Literal(const TMods& mods)
    {
        const unsigned char c = LiteralPool[Rand(static_cast<int>(std::size(LiteralPool)))];
        TPiece piece;
        piece.Solid = true;
        piece.Mine = MineChar(c);
        if (mods.I && Other(c) != c)
            piece.Pcre = "[" + PcreByte(c) + PcreByte(Other(c)) + "]";
        else
            piece.Pcre = PcreByte(c);
        return piece;
    }

    std::string MineChar(unsigned char c)
    {
        static const std::string special = "^$.[]()|*+?{}\\";
        char buf[16];
        if (c == '\n')
            return Chance(50) ? "\\n" : "\\x0a";
        if (c == '\r')
            return Chance(50) ? "\\r" : "\\x{D}";
        if (special.find(static_cast<char>(c)) != std::string::npos || (m_x && (c == ' ' || c == '#')))
            return std::string("\\") + static_cast<char>(c);
        switch (Rand(6)) {
        case 0:
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            return buf;
        case 1:
            std::snprintf(buf, sizeof buf, "\\x{%x}", c);
            return buf;
        default:
            return std::string(1, static_cast<char>(c));
        }
    }

    // A set member character for the engine's syntax.
    std::string MineSetChar(unsigned char c)
    {
        if (c == ']' || c == '\\' || c == '^' || c == '-')
            return std::string("\\") + static_cast<char>(c);
        if (c == '\n')
            return "\\n";
        if (c == '\r')
            return "\\r";
        return std::string(1, static_cast<char>(c));
    }

    TPiece Set(const TMods& mods)
    {
        std::vector<bool> in(256, false);
        auto add = [&](unsigned char c) {
            in[c] = true;
            if (mods.I)
                in[Other(c)] = true;
        };
        TPiece piece;
        piece.Solid = true;
        const bool negate = Chance(30);
        std::string body;
        const int n = 1 + Rand(3);
        for (int i = 0; i < n; ++i) {
            switch (Rand(5)) {
            case 0: { // an alphabet or a plain range
                static const unsigned char ranges[][2] = { { 0xE0, 0xFF }, { 0xC0, 0xDF }, { 0xE0, 0xDF },
                    { 'a', 'c' }, { '0', '9' }, { 'A', 'Z' }, { 0xE0, 0xE5 }, { 0xB8, 0xE0 } };
                const auto& r = ranges[Rand(static_cast<int>(std::size(ranges)))];
                const bool alphabet = mods.R
                    && ((r[0] == 0xE0 && (r[1] == 0xFF || r[1] == 0xDF)) || (r[0] == 0xC0 && r[1] == 0xDF));
                if (r[0] > r[1] && !alphabet)
                    break; // only valid as alphabets
                body += MineSetChar(r[0]) + "-" + MineSetChar(r[1]);
                if (alphabet) {
                    const bool lower = r[0] == 0xE0;
                    const bool upper = r[1] == 0xDF;
                    if (lower) {
                        for (int c = 0xE0; c <= 0xFF; ++c)
                            add(static_cast<unsigned char>(c));
                        add(0xB8);
                    }
                    if (upper) {
                        for (int c = 0xC0; c <= 0xDF; ++c)
                            add(static_cast<unsigned char>(c));
                        add(0xA8);
                    }
                } else {
                    for (int c = r[0]; c <= r[1]; ++c)
                        add(static_cast<unsigned char>(c));
                }
                break;
            }
            case 1: { // a class
                static const char classes[] = "dswDSW";
                const char k = classes[Rand(6)];
                body += std::string("\\") + k;
                for (int c = 0; c < 256; ++c) {
                    const auto b = static_cast<unsigned char>(c);
                    bool member = false;
                    switch (k | 0x20) {
                    case 'd':
                        member = b >= '0' && b <= '9';
                        break;
                    case 's':
                        member = b == ' ' || b == '\t' || b == '\n' || b == '\r' || b == '\f';
                        break;
                    default:
                        member = (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z')
                            || b == '_';
                        break;
                    }
                    if (member != (k < 'a'))
                        in[b] = true;
                }
                break;
            }
            default: {
                const unsigned char c = LiteralPool[Rand(static_cast<int>(std::size(LiteralPool)))];
                body += MineSetChar(c);
                add(c);
                break;
            }
            }
        }
        if (body.empty()) {
            body = "a";
            add('a');
        }
        if (negate) {
            for (int c = 0; c < 256; ++c)
                in[static_cast<std::size_t>(c)] = !in[static_cast<std::size_t>(c)];
        }
        piece.Mine = std::string("[") + (negate ? "^" : "") + body + "]";
        piece.Pcre = PcreClass(in);
        return piece;
    }

    TPiece ClassEscape()
    {
        static const char* const mine[] = { "\\d", "\\D", "\\s", "\\S", "\\w", "\\W" };
        static const char* const pcre[]
            = { "[0-9]", "[^0-9]", "[ \\t\\n\\r\\f]", "[^ \\t\\n\\r\\f]", "[0-9A-Za-z_]", "[^0-9A-Za-z_]" };
        const int k = Rand(6);
        return { mine[k], pcre[k], true, true };
    }

    TPiece Dot(const TMods& mods) { return { ".", mods.S ? "(?s:.)" : "[^\\r\\n]", true, true }; }

    TPiece Anchor(const TMods& mods)
    {
        switch (Rand(6)) {
        case 0:
            return { "^", mods.M ? "(?:\\A|(?<=\\n)|(?<=\\r)(?!\\n))" : "\\A", false, false };
        case 1:
            return { "$", mods.M ? "(?:\\z|(?=\\r)|(?<!\\r)(?=\\n))" : "\\z", false, false };
        case 2:
            return { "\\A", "\\A", false, false };
        case 3:
            return { "\\Z", "\\z", false, false };
        case 4:
            return { "\\b", "\\b", false, false };
        default:
            return { "\\B", "\\B", false, false };
        }
    }

    TPiece BackRef(TMods& mods)
    {
        // Case-insensitive back-references cannot be spelled for PCRE2 here.
        if (m_closed.empty() || mods.I)
            return Literal(mods);
        const auto& [group, solid]
            = m_closed[static_cast<std::size_t>(Rand(static_cast<int>(m_closed.size())))];
        TPiece piece;
        // The empty comment keeps a digit that follows from joining the number.
        piece.Mine = "\\" + std::to_string(group) + "(?#)";
        piece.Pcre = "\\g{" + std::to_string(group) + "}";
        piece.Solid = false;
        piece.Quantifiable = solid;
        return piece;
    }

    TPiece Group(int depth, const TMods& outer)
    {
        if (m_groups >= 9)
            return Literal(outer);
        const int number = ++m_groups;
        TMods inner = outer; // switches inside last to the end of the group
        const TPiece body = Alternation(depth + 1, inner);
        m_closed.emplace_back(number, body.Solid);
        TPiece piece;
        piece.Mine = "(" + body.Mine + ")";
        piece.Pcre = "(" + body.Pcre + ")";
        piece.Solid = body.Solid;
        return piece;
    }

    std::mt19937 m_rng;
    int m_groups = 0;
    bool m_x = false;
    std::vector<std::pair<int, bool>> m_closed;
};

std::string Printable(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

struct TResult
{
    bool Found = false;
    bool GaveUp = false;
    std::vector<std::pair<int, int>> Groups; // start from 0 and length, -1 when unset
};

class TPcre
{
public:
    explicit TPcre(const std::string& pattern)
    {
        int error = 0;
        PCRE2_SIZE offset = 0;
        m_code = pcre2_compile(
            reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), 0, &error, &offset, nullptr);
        if (m_code == nullptr) {
            PCRE2_UCHAR message[256];
            pcre2_get_error_message(error, message, sizeof message);
            m_error = reinterpret_cast<const char*>(message);
            return;
        }
        m_data = pcre2_match_data_create_from_pattern(m_code, nullptr);
        m_context = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(m_context, 200000);
    }
    ~TPcre()
    {
        pcre2_match_context_free(m_context);
        pcre2_match_data_free(m_data);
        pcre2_code_free(m_code);
    }
    TPcre(const TPcre&) = delete;
    TPcre& operator=(const TPcre&) = delete;

    const std::string& Error() const { return m_error; }

    TResult Match(const std::string& text, int from, int groups) const
    {
        TResult r;
        const int rc = pcre2_match(m_code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(),
            static_cast<PCRE2_SIZE>(from), 0, m_data, m_context);
        if (rc == PCRE2_ERROR_NOMATCH)
            return r;
        if (rc < 0) {
            r.GaveUp = true;
            return r;
        }
        r.Found = true;
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(m_data);
        for (int g = 0; g <= groups; ++g) {
            const PCRE2_SIZE s = ov[2 * g];
            const PCRE2_SIZE e = ov[2 * g + 1];
            if (g >= rc || s == PCRE2_UNSET)
                r.Groups.emplace_back(-1, -1);
            else
                r.Groups.emplace_back(static_cast<int>(s), static_cast<int>(e - s));
        }
        return r;
    }

private:
    pcre2_code* m_code = nullptr;
    pcre2_match_data* m_data = nullptr;
    pcre2_match_context* m_context = nullptr;
    std::string m_error;
};

TResult MatchMine(TPatternEngine& engine, const std::string& text, int from, int groups)
{
    TResult r;
    engine.SetInputString(text);
    test::TEscAfterUi ui(50);
    engine.SetEscapeSource(&ui);
    r.Found = engine.ExecPos(from + 1);
    engine.SetEscapeSource(nullptr);
    if (engine.Interrupted()) {
        r.GaveUp = true;
        return r;
    }
    if (!r.Found)
        return r;
    for (int g = 0; g <= groups; ++g) {
        const int start = engine.MatchStart(g);
        r.Groups.emplace_back(start < 0 ? -1 : start - 1, engine.MatchLength(g));
    }
    return r;
}

std::string Describe(const TResult& r)
{
    if (r.GaveUp)
        return "gave up";
    if (!r.Found)
        return "no match";
    std::string s;
    for (const auto& [start, length] : r.Groups)
        s += "(" + std::to_string(start) + "," + std::to_string(length) + ")";
    return s;
}

int CountGroups(const std::string& mine)
{
    int n = 0;
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (mine[i] == '\\') {
            ++i;
        } else if (mine[i] == '[') {
            // skip the set: a ] right after [ or [^ is a member
            ++i;
            if (i < mine.size() && mine[i] == '^')
                ++i;
            if (i < mine.size() && mine[i] == ']')
                ++i;
            while (i < mine.size() && mine[i] != ']')
                i += mine[i] == '\\' ? 2 : 1;
        } else if (mine[i] == '(' && (i + 1 >= mine.size() || mine[i + 1] != '?')) {
            ++n;
        }
    }
    return n;
}

TEST(PatternEngineVersusPcre2, SameMatchesOnGeneratedPatterns)
{
    TGenerator gen(20240611u);
    int compared = 0, matched = 0, gaveUp = 0, failures = 0;
    for (int round = 0; round < 6000 && failures < 10; ++round) {
        TMods mods;
        mods.I = gen.Chance(25);
        mods.R = gen.Chance(70);
        mods.S = gen.Chance(60);
        mods.G = gen.Chance(80);
        mods.M = gen.Chance(50);
        const bool x = gen.Chance(15);
        const TPiece pattern = gen.Pattern(mods, x);
        TPcre pcre(pattern.Pcre);
        ASSERT_TRUE(pcre.Error().empty()) << pcre.Error() << " in " << Printable(pattern.Pcre);
        TPatternEngine engine;
        engine.SetModifier(TPatternEngine::ModifierI, mods.I);
        engine.SetModifier(TPatternEngine::ModifierR, mods.R);
        engine.SetModifier(TPatternEngine::ModifierS, mods.S);
        engine.SetModifier(TPatternEngine::ModifierG, mods.G);
        engine.SetModifier(TPatternEngine::ModifierM, mods.M);
        engine.SetModifier(TPatternEngine::ModifierX, x);
        engine.SetExpression(pattern.Mine);
        const int groups = CountGroups(pattern.Mine);
        for (int t = 0; t < 4; ++t) {
            const std::string text = gen.Text();
            const int from = t == 0 || text.empty() ? 0 : gen.Rand(static_cast<int>(text.size()) + 1);
            TResult mine;
            try {
                mine = MatchMine(engine, text, from, groups);
            } catch (const EPatternError& e) {
                ADD_FAILURE() << e.what() << " for " << Printable(pattern.Mine);
                ++failures;
                break;
            }
            const TResult ref = pcre.Match(text, from, groups);
            if (mine.GaveUp || ref.GaveUp) {
                ++gaveUp;
                continue;
            }
            ++compared;
            matched += ref.Found ? 1 : 0;
            if (Describe(mine) != Describe(ref)) {
                ++failures;
                ADD_FAILURE() << "pattern " << Printable(pattern.Mine) << "\n  pcre2 "
                              << Printable(pattern.Pcre) << "\n  mods i" << mods.I << " r" << mods.R << " s"
                              << mods.S << " g" << mods.G << " m" << mods.M << " x" << x << "\n  text \""
                              << Printable(text) << "\" from " << from << "\n  engine " << Describe(mine)
                              << "\n  pcre2  " << Describe(ref);
            }
        }
    }
    std::printf("compared %d searches, %d with a match, %d given up\n", compared, matched, gaveUp);
    EXPECT_GT(compared, 20000);
    EXPECT_GT(matched, compared / 5);
}

} // namespace
} // namespace tildo
