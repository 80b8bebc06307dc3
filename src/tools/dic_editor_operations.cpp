// The dictionary editor's whole-dictionary commands: sorting, the next error,
// repeated lines, subtracting a file and sweeping the word pane. Each takes the
// pane's text once, works on the list of lines and writes the result back in
// one change.
#include "dic_editor.h"

#include "platform/file_io.h"
#include "platform/text_document.h"
#include "text/cp1251.h"
#include "tools/dic_operations.h"

#include <cstdio>

namespace tildo {

namespace {

// The pane's lines as the dictionary file format gives them back: the pane is
// written to the temporary file and read from it.
TStringList PassThroughFile(const TStringList& lines, const std::string& path)
{
    WriteScratchDicFile(path, lines);
    return ReadDicFileLines(path);
}

} // namespace

void TDicEditor::Sort1Click()
{
    const auto wait = WaitCursor();
    BeginWait();
    Guarded([&] {
        const std::string temp = TempFilePath();
        TStringList lines = PassThroughFile(PaneLines(m_dic), temp);
        TStringList header = TakeLeadingComments(lines);
        SortFolded(lines);
        CountDicLines(lines);
        WriteScratchDicFile(temp, lines);
        std::remove(temp.c_str());
        header.insert(
            header.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
        SetPaneLines(m_dic, header);
        SetModified(true);
        ShowCounts();
    });
}

void TDicEditor::CheckDic1Click()
{
    const auto wait = WaitCursor();
    BeginWait();
    const TStringList lines = PaneLines(m_dic);
    const int start = lines.empty() ? 0 : CaretLine(m_dic);
    const TNextError error = FindNextError(lines, start, CheckMode(), m_ui);
    if (error.Line >= 0) {
        if (!error.Message.empty())
            ShowStatus(error.Message);
        m_dic.Select(m_dic.LineStart(error.Line),
            static_cast<int>(lines[static_cast<std::size_t>(error.Line)].size()));
        m_dic.ScrollToCaret();
        return;
    }
    m_dic.Focus();
    ShowPosition(m_dic, error.Aborted ? LineStartOrEnd(m_dic, error.StopLine) : m_dic.Length());
    ShowStatus(error.Aborted ? Cp("Операция прервана") : Cp("Ошибок не найдено"));
}

void TDicEditor::DelDoubles1Click()
{
    const auto wait = WaitCursor();
    BeginWait();
    const int caret = m_dic.SelStart();
    TStringList lines = PaneLines(m_dic);
    const TDoublesResult result = DeleteDoubles(lines, m_ui);
    if (result.Removed > 0) {
        SetPaneLines(m_dic, lines);
        SetModified(true);
    }
    m_dic.Select(caret, 0);
    WordFormCount = result.WordFormCount;
    RuleCount = result.RuleCount;
    ShowStatus(DoublesStatus(result));
}

void TDicEditor::Subtract1Click()
{
    if (PaneLineCount(m_dic) == 0)
        return;
    const std::string fileName = m_ui.ChooseOpenFile(TFileChoice { m_setup.ProgramDir, {}, DicFileFilter });
    if (fileName.empty())
        return;
    const auto wait = WaitCursor();
    Guarded([&] {
        const std::string temp = TempFilePath();
        TStringList lines = PassThroughFile(PaneLines(m_dic), temp);
        const TStringList other = ReadDicFileLines(fileName);
        SubtractLines(lines, other);
        CountDicLines(lines);
        WriteScratchDicFile(temp, lines);
        SetPaneLines(m_dic, lines);
        SetModified(true);
        ShowCounts();
        m_dic.Focus();
        m_dic.Select(0, 0);
    });
}

void TDicEditor::SweepWordEditor1Click()
{
    const auto wait = WaitCursor();
    TStringList words = PaneLines(m_word);
    const TSweepResult result = SweepWords(words, PaneLines(m_dic), m_ui);
    if (result.Removed > 0)
        SetPaneLines(m_word, words);
    m_word.Select(LineStartOrEnd(m_word, result.CaretLine), 0);
    ShowStatus(SweepMessage(result.Removed));
}

} // namespace tildo
