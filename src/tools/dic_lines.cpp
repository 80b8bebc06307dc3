#include "dic_lines.h"

#include "dict/main_dictionary.h"
#include "platform/file_io.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <algorithm>

namespace tildo {

TStringList SplitPaneText(std::string_view text)
{
    TStringList lines;
    if (text.empty())
        return lines;
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string JoinPaneText(const TStringList& lines)
{
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 1;
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += lines[i];
    }
    return text;
}

TStringList PaneLines(const TextDocument& doc)
{
    return SplitPaneText(doc.Text());
}

int PaneLineCount(const TextDocument& doc)
{
    return doc.Length() == 0 ? 0 : doc.LineCount();
}

void SetPaneLines(TextDocument& doc, const TStringList& lines)
{
    doc.SetText(JoinPaneText(lines));
}

void InsertPaneLine(TextDocument& doc, int i, const std::string& text)
{
    if (PaneLineCount(doc) == 0)
        doc.ReplaceLine(0, text);
    else
        doc.InsertLine(i, text);
}

void AppendPaneLine(TextDocument& doc, const std::string& text)
{
    InsertPaneLine(doc, PaneLineCount(doc), text);
}

int CaretLine(const TextDocument& doc)
{
    return doc.LineOf(doc.SelStart());
}

int LineStartOrEnd(const TextDocument& doc, int i)
{
    const int start = i < PaneLineCount(doc) ? doc.LineStart(i) : -1;
    return start < 0 ? doc.Length() : start;
}

TStringList ReadDicFileLines(const std::string& path)
{
    TStringList lines;
    TLineReader reader(path);
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

std::string DicFileBytes(const TStringList& lines)
{
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

void WriteDicFileLines(const std::string& path, const TStringList& lines)
{
    WriteFileAtomic(path, DicFileBytes(lines));
}

void WriteScratchDicFile(const std::string& path, const TStringList& lines)
{
    WriteScratchFile(path, DicFileBytes(lines));
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    if (dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

TDicCounts CountDicLines(const TStringList& lines)
{
    TDicCounts counts;
    const std::string* previous = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (IsCommentLine(line))
            continue;
        if (IsRuleLine(line))
            ++counts.RuleCount;
        else
            ++counts.WordFormCount;
        if (counts.FirstOrderBreak < 0 && previous != nullptr && CompareEntries(line, *previous) < 0)
            counts.FirstOrderBreak = static_cast<int>(i);
        previous = &line;
    }
    return counts;
}

std::string CountsStatus(int wordFormCount, int ruleCount)
{
    return Cp("Словоформ/сочетаний: ") + std::to_string(wordFormCount) + Cp(", правил: ")
        + std::to_string(ruleCount);
}

std::string OrderBreakMessage(std::string_view line)
{
    return Cp("Порядок слов в словаре нарушен словом") + " \"" + std::string(line) + "\"";
}

bool IsCombiDicText(const TStringList& lines)
{
    const std::size_t n = std::min<std::size_t>(lines.size(), 100);
    for (std::size_t i = 0; i < n; ++i) {
        if (!IsCommentLine(lines[i]) && !AllPatternChars(lines[i]))
            return true;
    }
    return false;
}

TLineCheck CheckDicLine(std::string_view line, const TCheckMode& mode)
{
    if (line.empty())
        return { true, {} };
    if (mode.Combinations) {
        if (!HasAnyE(line))
            return { true, Cp("Ошибка: строка без Е/Ё") };
        if (CountWords(line) > mode.WordsBufferLength)
            return { true,
                Cp("Ошибка: словосочетание длиной более ") + std::to_string(mode.WordsBufferLength)
                    + Cp(" слов") };
        return {};
    }
    if (!AllPatternChars(line))
        return { true, Cp("Ошибка: некорректное слово") };
    if (!HasDottedE(line))
        return { true, Cp("Ошибка: строка без Ё") };
    if (HasRussianCapital(line.substr(1)))
        return { true, Cp("Ошибка: неверный регистр") };
    return {};
}

} // namespace tildo
