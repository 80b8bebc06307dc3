#include "combination_dictionary.h"

#include "dict/main_dictionary.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "text/cp1251.h"
#include "text/file_messages.h"
#include "text/letters.h"

namespace tildo {

void TCombiWordsDic::Clear()
{
    Keys.clear();
    Texts.clear();
    WordCounts.Clear();
    DottedMasks.Clear();
    UseCounts.Clear();
}

void TCombiWordsDic::AddCombination(std::string_view line, UserInterface& ui)
{
    const TFinding finding = Insert(line);
    if (finding == TFinding::TooLong)
        ui.ErrorBox(Cp("Слишком длинное словосочетание в СС: \"") + ClipForMessage(line) + "\"");
    else if (finding == TFinding::OutOfOrder)
        ui.ErrorBox(Cp("Порядок слов в СС нарушен словом \"") + ClipForMessage(line) + "\"");
}

TCombiWordsDic::TFinding TCombiWordsDic::Insert(std::string_view line)
{
    int count = 0;
    std::int32_t mask = 0;
    bool inWord = false;
    bool wordHasDotted = false;
    auto closeWord = [&]() {
        if (inWord) {
            ++count;
            if (wordHasDotted && count <= 31)
                mask |= std::int32_t(1) << (count - 1);
        }
        inWord = false;
        wordHasDotted = false;
    };
    for (const char c : line) {
        if (IsRussianLetter(c)) {
            inWord = true;
            if (!wordHasDotted && IsDottedE(c))
                wordHasDotted = true;
        } else {
            closeWord();
        }
    }
    closeWord();

    if (count > m_limits->MaxCombiWords())
        return TFinding::TooLong;
    std::string key = FoldDottedE(line);
    const bool outOfOrder = !Keys.empty() && CompareWords(key, Keys.back()) < 0;
    WordCounts.Add(count);
    DottedMasks.Add(mask);
    UseCounts.Add(0);
    Keys.push_back(std::move(key));
    Texts.emplace_back(line);
    return outOfOrder ? TFinding::OutOfOrder : TFinding::None;
}

namespace {

// The first line of a file with one kind of fault and how many more have it,
// so that a damaged file gives one message per kind, not one per line.
struct TFirstOfKind
{
    std::string Line;
    int More = -1; // -1: none seen

    void Note(std::string_view line)
    {
        if (More++ < 0)
            Line = line;
    }
    void Report(UserInterface& ui, const std::string& before, const std::string& after) const
    {
        if (More < 0)
            return;
        std::string text = before + ClipForMessage(Line) + after;
        if (More > 0)
            text += Cp(" (и ещё строк с тем же: ") + std::to_string(More) + ")";
        ui.ErrorBox(text);
    }
};

} // namespace

std::string DigitsToMarker(std::string_view s)
{
    std::string r;
    r.reserve(s.size() + 2);
    bool inDigits = false;
    for (const char c : s) {
        if (IsDigit(c)) {
            if (!inDigits)
                r += "\\0";
            inDigits = true;
        } else {
            r += c;
            inDigits = false;
        }
    }
    return r;
}

int TCombiWordsDic::FindCombination(std::string_view candidate) const
{
    int i = FindKey(Keys, candidate);
    if (i == -1)
        i = FindKey(Keys, DigitsToMarker(candidate));
    return i;
}

void TCombiWordsDic::ReadCombiDic(UserInterface& ui)
{
    if (FileName.empty()) {
        ui.SetCommandChecked("CombiWords1", false);
        return;
    }
    Clear();
    // A device such as /dev/zero has no line breaks to stop the reader.
    if (RefuseInputFile(ui, FileName)) {
        FileName.clear();
        return;
    }
    const auto busy
        = BusyScope(ui, Cp("Загрузка словаря словосочетаний ") + PathForDisplay(FileName) + " ...");
    std::string singleWord;
    bool haveSingleWord = false;
    bool readFailed = false;
    TFirstOfKind tooLong;
    TFirstOfKind outOfOrder;
    try {
        TLineReader reader(FileName);
        std::string_view line;
        while (reader.Next(line)) {
            if (IsCommentLine(line))
                continue;
            if (AllRussianLetters(line)) {
                if (!haveSingleWord) {
                    singleWord = line;
                    haveSingleWord = true;
                }
                continue;
            }
            const TFinding finding = Insert(line);
            if (finding == TFinding::TooLong)
                tooLong.Note(line);
            else if (finding == TFinding::OutOfOrder)
                outOfOrder.Note(line);
        }
    } catch (const EFileError& e) {
        ReportFileError(ui, e.Path(), e.Reason());
        readFailed = true;
    }
    tooLong.Report(ui, Cp("Слишком длинное словосочетание в СС: \""), "\"");
    outOfOrder.Report(ui, Cp("Порядок слов в СС нарушен словом \""), "\"");
    if (haveSingleWord && !readFailed)
        ui.ErrorBox(Cp("СС содержит слово \"") + ClipForMessage(singleWord)
            + Cp("\", которое не является словосочетанием"));
    if (Count() > 0)
        ui.SetCommandEnabled("CombiWords1", true);
}

void CombiWords1Click(UserInterface& ui)
{
    ui.SetCommandChecked("CombiWords1", !ui.IsCommandChecked("CombiWords1"));
}

} // namespace tildo
