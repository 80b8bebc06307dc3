#include "main_dictionary.h"

#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "text/cp1251.h"
#include "text/file_messages.h"
#include "text/letters.h"

#include <sys/stat.h>

namespace tildo {

bool IsCommentLine(std::string_view line)
{
    return line.empty() || line.front() == '#';
}

bool IsRuleLine(std::string_view line)
{
    return line.find('*') != std::string_view::npos;
}

TDicLine ParseDicLine(std::string_view line)
{
    TDicLine r;
    r.IsRule = IsRuleLine(line);
    if (!line.empty() && line.back() == '?') {
        r.Variant = 1;
        line.remove_suffix(1);
    }
    if (r.IsRule) {
        if (!line.empty() && line.front() == '*') {
            r.StarBefore = true;
            line.remove_prefix(1);
        }
        if (!line.empty() && line.back() == '*') {
            r.StarAfter = true;
            line.remove_suffix(1);
        }
    }
    r.Body = line;
    return r;
}

void TDicRunState::Reset(int forms, int rules)
{
    for (TShortIntList* l : { &FormLastAnswer, &FormAlways }) {
        l->Clear();
        l->Resize(forms, 0);
    }
    for (TIntegerList* l : { &FormMetPlain, &FormMetDotted, &FormNetDotted }) {
        l->Clear();
        l->Resize(forms, 0);
    }
    RuleLastAnswer.Clear();
    RuleLastAnswer.Resize(rules, 0);
    for (TIntegerList* l : { &RuleMetPlain, &RuleMetDotted, &RuleNetDotted }) {
        l->Clear();
        l->Resize(rules, 0);
    }
}

void TDic::Clear()
{
    Keys.clear();
    Forms.clear();
    RuleFragments.clear();
    RuleStarBefore.clear();
    RuleStarAfter.clear();
    FormVariant.Clear();
    FormLastAnswer.Clear();
    RuleVariant.Clear();
    RuleLastAnswer.Clear();
    FormAlways.Clear();
    FormMetPlain.Clear();
    FormMetDotted.Clear();
    FormNetDotted.Clear();
    RuleMetPlain.Clear();
    RuleMetDotted.Clear();
    RuleNetDotted.Clear();
    m_foldedFragments.clear();
}

void TDic::AddForm(std::string_view form, int variant)
{
    Keys.push_back(form);
    char* key = Keys.LastData();
    for (std::size_t i = 0; i < form.size(); ++i)
        key[i] = FoldChar(key[i]);
    Forms.push_back(form);
    FormVariant.Add(static_cast<std::int8_t>(variant));
    FormLastAnswer.Add(0);
    FormAlways.Add(0);
    FormMetPlain.Add(0);
    FormMetDotted.Add(0);
    FormNetDotted.Add(0);
}

void TDic::AddRule(
    std::string_view starBefore, std::string_view fragment, std::string_view starAfter, int variant)
{
    RuleStarBefore.emplace_back(starBefore);
    RuleFragments.emplace_back(fragment);
    RuleStarAfter.emplace_back(starAfter);
    m_foldedFragments.push_back(FoldDottedE(fragment));
    RuleVariant.Add(static_cast<std::int8_t>(variant));
    RuleLastAnswer.Add(0);
    RuleMetPlain.Add(0);
    RuleMetDotted.Add(0);
    RuleNetDotted.Add(0);
}

int TDic::FindForm(std::string_view word) const
{
    return FindKey(Keys, word);
}

namespace {

// Position (from 0) of the first occurrence of needle in the mapped word, or npos.
template <class Map> std::size_t FindMapped(std::string_view word, Map map, std::string_view needle)
{
    if (needle.empty() || needle.size() > word.size())
        return std::string_view::npos;
    const std::size_t last = word.size() - needle.size();
    for (std::size_t p = 0; p <= last; ++p) {
        std::size_t k = 0;
        while (k < needle.size() && map(p + k, word[p + k]) == needle[k])
            ++k;
        if (k == needle.size())
            return p;
    }
    return std::string_view::npos;
}

} // namespace

template <class Map> bool TDic::MatchRules(std::string_view word, Map map, TDicEntry& entry) const
{
    for (std::size_t i = 0; i < m_foldedFragments.size(); ++i) {
        const std::string& folded = m_foldedFragments[i];
        const std::size_t p = FindMapped(word, map, folded);
        if (p == std::string_view::npos)
            continue;
        const bool before = !RuleStarBefore[i].empty();
        const bool after = !RuleStarAfter[i].empty();
        const bool atStart = p == 0;
        const bool atEnd = p + folded.size() == word.size();
        if (!((before && after) || (after && atStart) || (before && atEnd)))
            continue;
        entry.Index = static_cast<int>(i);
        entry.IsRule = true;
        entry.Form.clear();
        for (std::size_t k = 0; k < p; ++k)
            entry.Form += map(k, word[k]);
        entry.Form += RuleFragments[i];
        for (std::size_t k = p + folded.size(); k < word.size(); ++k)
            entry.Form += map(k, word[k]);
        return true;
    }
    return false;
}

bool TDic::FindRule(std::string_view word, TDicEntry& entry) const
{
    return MatchRules(word, detail::TIdentity {}, entry);
}

bool TDic::Lookup(std::string_view word, TDicEntry& entry) const
{
    const int i = FindForm(word);
    if (i >= 0) {
        entry.Index = i;
        entry.IsRule = false;
        entry.Form = Forms[static_cast<std::size_t>(i)];
        return true;
    }
    if (MatchRules(word, detail::TLowerTail {}, entry) || MatchRules(word, detail::TLower {}, entry))
        return true;
    entry.Index = -1;
    entry.IsRule = false;
    entry.Form.clear();
    return false;
}

void TDic::ReadDic(UserInterface& ui)
{
    Clear();
    if (FileName.empty()) {
        ui.ErrorBox(Cp("Не задан файл словаря"));
        return;
    }
    // A device such as /dev/zero has no line breaks to stop the reader.
    if (RefuseInputFile(ui, FileName)) {
        FileName.clear();
        return;
    }
    const auto busy = BusyScope(ui, Cp("Загрузка словаря ") + PathForDisplay(FileName) + " ...");

    // The file's size gives a fair guess of the number of entries, which saves
    // the lists from growing step by step on a large dictionary.
    struct stat st
    {
    };
    if (::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        // The texts take less room than the file; what is reserved and never
        // written is never touched either.
        const auto bytes = static_cast<std::size_t>(st.st_size);
        const std::size_t guess = bytes / 12;
        Keys.reserve(guess, bytes);
        Forms.reserve(guess, bytes);
        FormVariant.Reserve(static_cast<int>(guess));
    }

    std::string orderBreak;
    std::string incorrectLine;
    std::string lineWithoutYo;
    bool haveOrderBreak = false;
    bool haveIncorrect = false;
    bool haveWithoutYo = false;
    bool readFailed = false;

    try {
        TLineReader reader(FileName);
        std::string_view line;
        while (reader.Next(line)) {
            if (IsCommentLine(line))
                continue;
            const TDicLine parsed = ParseDicLine(line);
            if (parsed.IsRule) {
                AddRule(
                    parsed.StarBefore ? "*" : "", parsed.Body, parsed.StarAfter ? "*" : "", parsed.Variant);
                if (!haveIncorrect && !AllRussianLetters(parsed.Body)) {
                    incorrectLine = line;
                    haveIncorrect = true;
                }
            } else {
                // The hot path of a large dictionary: the key is folded and
                // checked in one scan, and the lists that start at zero are
                // filled in one go after the loop.
                Keys.push_back(parsed.Body);
                char* const keyText = Keys.LastData();
                bool allRussian = true;
                bool dotted = false;
                for (std::size_t i = 0; i < parsed.Body.size(); ++i) {
                    const char c = keyText[i];
                    dotted |= IsDottedE(c);
                    keyText[i] = FoldChar(c);
                    allRussian &= IsRussianLetter(c);
                }
                const std::string_view key(keyText, parsed.Body.size());
                Forms.push_back(parsed.Body);
                FormVariant.Add(static_cast<std::int8_t>(parsed.Variant));
                if (!haveIncorrect && !allRussian) {
                    incorrectLine = line;
                    haveIncorrect = true;
                }
                // The previous key is the last word form's, whatever rules or
                // comments stand between; the first form meets an empty one.
                const std::string_view previousKey
                    = Keys.size() > 1 ? Keys[Keys.size() - 2] : std::string_view();
                if (!haveOrderBreak && CompareWords(key, previousKey) <= 0) {
                    orderBreak = parsed.Body;
                    haveOrderBreak = true;
                }
                if (!haveWithoutYo && !dotted) {
                    lineWithoutYo = line;
                    haveWithoutYo = true;
                }
                continue;
            }
            if (!haveWithoutYo && !HasDottedE(line)) {
                lineWithoutYo = line;
                haveWithoutYo = true;
            }
        }
    } catch (const EFileError& e) {
        // What was read stays loaded; the findings of a half-read file are not reported.
        ReportFileError(ui, e.Path(), e.Reason());
        readFailed = true;
    }
    if (KeepsRunState) {
        const int forms = FormCount();
        for (TShortIntList* l : { &FormLastAnswer, &FormAlways })
            l->Resize(forms, 0);
        for (TIntegerList* l : { &FormMetPlain, &FormMetDotted, &FormNetDotted })
            l->Resize(forms, 0);
    } else {
        static_cast<TDicRunState&>(*this) = TDicRunState {};
    }

    if (HasEntries()) {
        ui.SetCommandEnabled("YoBegin1", true);
        ui.SetCommandEnabled("YoPos1", true);
    }
    if (!readFailed) {
        if (haveOrderBreak)
            ui.ErrorBox(Cp("Порядок слов в словаре нарушен словом \"") + ClipForMessage(orderBreak) + "\"");
        if (haveIncorrect)
            ui.ErrorBox(Cp("Словарь содержит некорректную строку \"") + ClipForMessage(incorrectLine) + "\"");
        else if (haveWithoutYo)
            ui.ErrorBox(Cp("Странно, что слово \"") + ClipForMessage(lineWithoutYo)
                + Cp("\" из словаря не содержит буквы \"Ё\""));
    }
    ui.SetCommandEnabled("ClearUserSel1", false);
}

} // namespace tildo
