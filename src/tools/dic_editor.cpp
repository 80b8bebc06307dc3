#include "dic_editor.h"

#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "platform/file_io.h"
#include "platform/text_document.h"
#include "text/cp1251.h"
#include "text/file_messages.h"
#include "text/letters.h"
#include "tools/morph_form.h"
#include "tools/morpho_gen.h"

#include <algorithm>

namespace tildo {

namespace {

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string WithoutTrailingSlash(std::string dir)
{
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

} // namespace

TDicEditorLinks LinksToDictionaries(TDic& dic, TCombiWordsDic& combi, UserInterface& mainUi)
{
    TDicEditorLinks links;
    links.CurrentDicPath = [&dic] { return dic.FileName; };
    links.CurrentCombiDicPath = [&combi] { return combi.FileName; };
    links.ReloadDic = [&dic, &mainUi] { dic.ReadDic(mainUi); };
    links.ReloadCombiDic = [&combi, &mainUi] { combi.ReadCombiDic(mainUi); };
    return links;
}

void TDicEditor::SetBusy(bool busy)
{
    m_ui.SetBusyCursor(busy);
    m_dic.SetBusyCursor(busy);
    m_word.SetBusyCursor(busy);
}

TDicEditor::TDicEditor(
    TextDocument& dicEditor, TextDocument& wordEditor, UserInterface& ui, TDicEditorSetup setup)
    : m_dic(dicEditor)
    , m_word(wordEditor)
    , m_ui(ui)
    , m_setup(std::move(setup))
{
}

void TDicEditor::Guarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const EFileError& e) {
        ReportFileError(m_ui, e.Path(), e.Reason());
    }
}

std::string TDicEditor::Caption() const
{
    return m_modified ? m_captionName + " *" : m_captionName;
}

void TDicEditor::SetCaptionName(const std::string& name)
{
    m_captionName = name;
    m_ui.SetCaption(Caption());
}

// --- options ----------------------------------------------------------------

bool TDicEditor::IsCombiWords() const
{
    return m_ui.IsCommandChecked("IsCombiWords1");
}

void TDicEditor::IsCombiWords1Click()
{
    m_ui.SetCommandChecked("IsCombiWords1", !IsCombiWords());
}

bool TDicEditor::IsInsertLog() const
{
    return m_ui.IsCommandChecked("InsertLog1");
}

void TDicEditor::SetInsertLog(bool on)
{
    m_ui.SetCommandChecked("InsertLog1", on);
}

void TDicEditor::InsertLog1Click()
{
    SetInsertLog(!IsInsertLog());
}

bool TDicEditor::IsSplitVert() const
{
    return m_ui.IsCommandChecked("SplitVert1");
}

void TDicEditor::SetSplitVert(bool vertical)
{
    m_ui.SetCommandChecked("SplitVert1", vertical);
}

void TDicEditor::SplitVert1Click()
{
    SetSplitVert(!IsSplitVert());
}

TCheckMode TDicEditor::CheckMode() const
{
    TCheckMode mode;
    mode.Combinations = IsCombiWords();
    if (m_setup.Limits != nullptr)
        mode.WordsBufferLength = m_setup.Limits->WordsBufferLength;
    return mode;
}

// --- small operations -------------------------------------------------------

void TDicEditor::ShowStatus(const std::string& text)
{
    m_ui.SetStatusText(text);
}

void TDicEditor::BeginWait()
{
    SavedStatus = m_ui.StatusText();
    ShowStatus(Cp("Подождите..."));
}

void TDicEditor::RestoreStatus()
{
    ShowStatus(SavedStatus);
}

void TDicEditor::ShowCounts()
{
    ShowStatus(CountsStatus(WordFormCount, RuleCount));
}

void TDicEditor::SetModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    m_ui.SetCaption(Caption());
}

bool TDicEditor::ConfirmDiscard()
{
    if (!m_modified)
        return true;
    return m_ui.QuestionYesNo(Cp("Результаты редактирования будут потеряны. Продолжить операцию?"));
}

TextDocument* TDicEditor::Pane(TPane pane)
{
    switch (pane) {
    case TPane::Dic:
        return &m_dic;
    case TPane::Word:
        return &m_word;
    case TPane::None:
        break;
    }
    return nullptr;
}

std::string TDicEditor::TempFilePath() const
{
    return JoinPath(m_setup.WorkDir, "tildo.tmp");
}

void TDicEditor::WriteLog(const std::string& record)
{
    AppendToFile(JoinPath(m_setup.WorkDir, "insert.log"), record + "\r\n");
}

// --- the window's life ----------------------------------------------------------

void TDicEditor::FormShow()
{
    SetModified(false);
    m_ui.SetCommandEnabled("Morph1", false);
    MainDicEdited = false;
    CombiDicEdited = false;
    m_word.Focus();
    m_word.Select(0, 0);
    UpdateCommands(TPane::Word);
}

bool TDicEditor::FormCloseQuery()
{
    return ConfirmDiscard();
}

void TDicEditor::FormClose()
{
    // The dictionary pane is emptied: the next opening names no file.
    m_dic.SetText({});
    SetCaptionName({});
    if (MainDicEdited
        && m_ui.QuestionYesNo(Cp("Вы отредактировали текущий словарь. Использовать его сейчас?"))
        && m_setup.Links.ReloadDic)
        m_setup.Links.ReloadDic();
    if (CombiDicEdited && m_ui.QuestionYesNo(Cp("Вы отредактировали текущий СС. Использовать его сейчас?"))
        && m_setup.Links.ReloadCombiDic)
        m_setup.Links.ReloadCombiDic();
}

void TDicEditor::AppendWord(const std::string& line)
{
    AppendPaneLine(m_word, line);
}

void TDicEditor::DicEditorChange(TPane focus)
{
    SetModified(true);
    ShowStatus({});
    UpdateCommands(focus);
}

void TDicEditor::WordEditorChange(TPane focus)
{
    UpdateCommands(focus);
}

void TDicEditor::UpdateCommands(TPane focus)
{
    const bool dicHasLines = PaneLineCount(m_dic) > 0;
    const bool wordHasLines = PaneLineCount(m_word) > 0;
    if (const TextDocument* active = Pane(focus)) {
        const bool activeHasLines = PaneLineCount(*active) > 0;
        for (const TCommand command : { TCommand::Cut1, TCommand::Copy1, TCommand::Selectall1,
                 TCommand::Find1, TCommand::Lower1, TCommand::Upper1 })
            m_ui.SetCommandEnabled(command, activeHasLines);
    }
    for (const TCommand command : { TCommand::Save1, TCommand::Sort1, TCommand::DelDoubles1,
             TCommand::Subtract1, TCommand::CheckDic1, TCommand::FindInDic1 })
        m_ui.SetCommandEnabled(command, dicHasLines);
    m_ui.SetCommandEnabled("AddToDic1", wordHasLines);
    m_ui.SetCommandEnabled(
        "Morph1", wordHasLines && m_setup.Morphs != nullptr && m_setup.Morphs->MorphsLoaded);
    for (const TCommand command : { TCommand::Lower1, TCommand::FindInDic1, TCommand::SweepWordEditor1 })
        m_ui.SetCommandEnabled(command, wordHasLines);
    const auto& links = m_setup.Links;
    m_ui.SetCommandEnabled("OpenCurrDic1", links.CurrentDicPath && !links.CurrentDicPath().empty());
    m_ui.SetCommandEnabled(
        "OpenCurrCombiDic1", links.CurrentCombiDicPath && !links.CurrentCombiDicPath().empty());
}

// --- files ------------------------------------------------------------------

void TDicEditor::Open1Click()
{
    OpenDic();
}

void TDicEditor::OpenCurrDic1Click()
{
    if (m_setup.Links.CurrentDicPath)
        OpenDic(m_setup.Links.CurrentDicPath());
}

void TDicEditor::OpenCurrCombiDic1Click()
{
    if (m_setup.Links.CurrentCombiDicPath)
        OpenDic(m_setup.Links.CurrentCombiDicPath());
}

std::string TDicEditor::ShortName(const std::string& path) const
{
    const std::string dir = DirectoryOf(path);
    if (!dir.empty() && WithoutTrailingSlash(dir) == WithoutTrailingSlash(m_setup.ProgramDir))
        return path.substr(path.rfind('/') + 1);
    return path;
}

std::string TDicEditor::FileChoiceDir(const std::string& fileName) const
{
    const std::string dir = DirectoryOf(fileName);
    return dir.empty() ? m_setup.ProgramDir : dir;
}

void TDicEditor::OpenDic(const std::string& path)
{
    if (!ConfirmDiscard())
        return;
    std::string fileName = path;
    if (fileName.empty()) {
        fileName = m_ui.ChooseOpenFile(TFileChoice { m_setup.ProgramDir, {}, DicFileFilter });
        if (fileName.empty())
            return;
    }
    if (!FileExists(fileName))
        return;
    // The file is read before the pane is touched: a file that cannot be read
    // leaves the pane as it was.
    Guarded([&] {
        const TStringList lines = LoadDicFile(fileName, ShortName(fileName));
        m_ui.SetCommandChecked("IsCombiWords1", IsCombiDicText(lines));
    });
}

TStringList TDicEditor::LoadDicFile(const std::string& path, const std::string& name)
{
    TStringList lines = ReadDicFileLines(path);
    SetPaneLines(m_dic, lines);
    m_saveFileName = name;
    SetCaptionName(PathForDisplay(name));
    CountDicLines(lines);
    ShowCounts();
    if (FirstOrderBreak != -1) {
        m_dic.Select(m_dic.LineStart(FirstOrderBreak),
            static_cast<int>(lines[static_cast<std::size_t>(FirstOrderBreak)].size()));
    }
    SetModified(false);
    return lines;
}

void TDicEditor::Save1Click()
{
    const std::string fileName
        = m_ui.ChooseSaveFile(TFileChoice { FileChoiceDir(m_saveFileName), m_saveFileName, DicFileFilter });
    if (fileName.empty())
        return;
    if (FileExists(fileName) && !ConfirmOverwrite(m_ui, PathForDisplay(fileName)))
        return;
    Guarded([&] {
        WriteDicFileLines(fileName, PaneLines(m_dic));
        m_saveFileName = fileName;
        SetCaptionName(PathForDisplay(fileName));
        const auto& links = m_setup.Links;
        if (!MainDicEdited && m_modified && links.CurrentDicPath && fileName == links.CurrentDicPath())
            MainDicEdited = true;
        if (!CombiDicEdited && m_modified && links.CurrentCombiDicPath
            && fileName == links.CurrentCombiDicPath())
            CombiDicEdited = true;
        SetModified(false);
    });
}

// --- checks -----------------------------------------------------------------

bool TDicEditor::CheckDicLine(std::string_view line)
{
    const TLineCheck check = tildo::CheckDicLine(line, CheckMode());
    if (check.Bad && !check.Message.empty())
        ShowStatus(check.Message);
    return check.Bad;
}

void TDicEditor::CountDicLines(const TStringList& lines)
{
    const TDicCounts counts = tildo::CountDicLines(lines);
    WordFormCount = counts.WordFormCount;
    RuleCount = counts.RuleCount;
    FirstOrderBreak = counts.FirstOrderBreak;
    if (FirstOrderBreak != -1)
        m_ui.ErrorBox(OrderBreakMessage(lines[static_cast<std::size_t>(FirstOrderBreak)]));
}

// --- adding a word --------------------------------------------------------------

void TDicEditor::AddToDicIf(TAddMode mode)
{
    if (PaneLineCount(m_word) == 0)
        return;
    const int wordLine = CaretLine(m_word);
    const std::string word = m_word.Line(wordLine);
    if (word.empty())
        return;
    if (mode == TAddMode::Add && CheckDicLine(word))
        mode = TAddMode::Find;

    m_dic.Select(m_dic.SelStart(), 0);
    const TPaneLinesView lines(m_dic);
    const int count = static_cast<int>(lines.size());
    const auto byEntries
        = [](const std::string& item, const std::string& key) { return CompareEntries(item, key); };
    const auto byLower
        = [](const std::string& item, const std::string& key) { return CompareEntriesLower(item, key); };
    int place = FindInsertPos(lines, 0, count, byEntries, word);
    if (place >= count || CompareEntriesLower(lines[static_cast<std::size_t>(place)], word) != 0)
        place = FindInsertPos(lines, 0, count, byLower, word);
    ShowPosition(m_dic, LineStartOrEnd(m_dic, place));

    const bool isNew
        = place >= count || CompareEntriesLower(lines[static_cast<std::size_t>(place)], word) != 0;
    if (isNew) {
        if (mode == TAddMode::Add)
            ApplyAddition(word, wordLine, place, false);
        return;
    }
    const std::string existing = lines[static_cast<std::size_t>(place)];
    m_dic.Select(m_dic.LineStart(place), static_cast<int>(word.size()));
    if (mode == TAddMode::Find || existing == word)
        return;
    const std::string question = Cp("Изменить \"") + existing + Cp("\" на \"") + word + "\" ?";
    if (CompareEntries(existing, word) != 0) {
        switch (m_ui.QuestionYesNoCancel(question)) {
        case TDialogAnswer::Yes:
            ApplyAddition(word, wordLine, place, true);
            break;
        case TDialogAnswer::No:
            ApplyAddition(word, wordLine, CompareFolded(existing, word) < 0 ? place + 1 : place, false);
            break;
        case TDialogAnswer::Cancel:
            break;
        }
    } else if (m_ui.QuestionOkCancel(question)) {
        ApplyAddition(word, wordLine, place, true);
    }
}

void TDicEditor::ApplyAddition(const std::string& word, int wordLine, int dicLine, bool replace)
{
    Guarded([&] {
        if (IsInsertLog())
            WriteLog(replace ? word + "\t" + m_dic.Line(dicLine) : word);
        if (replace)
            m_dic.ReplaceLine(dicLine, word);
        else
            InsertPaneLine(m_dic, dicLine, word);
        SetModified(true);
        const int start = m_dic.LineStart(dicLine);
        m_dic.Select(start, static_cast<int>(word.size()));
        m_dic.SetSelectionColour(ColourRed);
        m_dic.Select(start, 0);
        m_dic.SetSelectionColour(ColourBlack);

        m_word.DeleteLine(wordLine);
        m_word.Select(LineStartOrEnd(m_word, std::min(wordLine, std::max(PaneLineCount(m_word) - 1, 0))), 0);
        if (!replace) {
            if (IsRuleLine(word))
                ++RuleCount;
            else
                ++WordFormCount;
        }
        ShowCounts();
    });
}

void TDicEditor::FindInDic1Click()
{
    BeginWait();
    AddToDicIf(TAddMode::Find);
    RestoreStatus();
}

// --- case, deleting, word forms --------------------------------------------------

void TDicEditor::ChangeCase(TPane active, bool lower)
{
    TextDocument* pane = Pane(active);
    if (pane == nullptr || PaneLineCount(*pane) == 0)
        return;
    const int line = CaretLine(*pane);
    const std::string old = pane->Line(line);
    std::string text;
    if (lower) {
        text = ToLower(old);
    } else {
        if (old.empty())
            return;
        text = old;
        text[0] = UpperChar(text[0]);
    }
    Guarded([&] {
        if (IsInsertLog() && active == TPane::Dic && text != old)
            WriteLog(text + "\t" + old);
        const int caret = pane->SelStart();
        pane->ReplaceLine(line, text);
        if (active == TPane::Dic) {
            SetModified(true);
            pane->Select(pane->LineStart(line), static_cast<int>(text.size()));
            pane->SetSelectionColour(ColourRed);
        }
        pane->Select(caret, 0);
    });
}

void TDicEditor::Lower1Click(TPane active)
{
    ChangeCase(active, true);
}

void TDicEditor::Upper1Click(TPane active)
{
    ChangeCase(active, false);
}

void TDicEditor::DelFromDic1Click(TPane active)
{
    TextDocument* pane = Pane(active);
    if (pane == nullptr || PaneLineCount(*pane) == 0)
        return;
    const int line = CaretLine(*pane);
    const std::string text = pane->Line(line);
    if (text.empty())
        return;
    Guarded([&] {
        if (active == TPane::Dic)
            WriteLog("-\t" + text);
        pane->DeleteLine(line);
        if (active == TPane::Dic)
            SetModified(true);
        pane->Select(LineStartOrEnd(*pane, std::min(line, std::max(PaneLineCount(*pane) - 1, 0))), 0);
    });
}

void TDicEditor::Selectall1Click(TPane active)
{
    if (TextDocument* pane = Pane(active))
        pane->Select(0, pane->Length());
}

void TDicEditor::Morph1Click()
{
    if (m_setup.Morphs == nullptr || m_setup.Dialog == nullptr || PaneLineCount(m_word) == 0)
        return;
    const int line = CaretLine(m_word);
    std::string baseWord = m_word.Line(line);
    if (baseWord.empty())
        return;
    const bool variant = baseWord.back() == '?';
    if (variant)
        baseWord.pop_back();

    TMorphForm form(*m_setup.Morphs);
    form.Prepare(baseWord);
    if (!m_setup.Dialog->Execute(form))
        return;
    int length = 0;
    for (std::size_t k = 0; k < form.WordForms.size(); ++k) {
        const std::string text = variant ? form.WordForms[k] + "?" : form.WordForms[k];
        m_word.InsertLine(line + 1 + static_cast<int>(k), text);
        length += static_cast<int>(text.size()) + 1;
    }
    const int baseStart = m_word.LineStart(line);
    if (length > 0) {
        m_word.Select(m_word.LineStart(line + 1), length - 1);
        m_word.SetSelectionColour(ColourBlue);
    }
    m_word.Select(baseStart, 0);
}

} // namespace tildo
