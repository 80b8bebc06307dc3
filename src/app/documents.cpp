#include "documents.h"

#include "app/document_editor.h"
#include "app/main_window.h"
#include "app/shell_hooks.h"
#include "formats/rtf_writer.h"
#include "formats/text_formats.h"
#include "platform/file_io.h"
#include "platform/scope_guard.h"
#include "platform/text_document.h"
#include "platform/user_interface.h"
#include "text/cp1251.h"
#include "text/file_messages.h"

#include <algorithm>

namespace tildo {

namespace {

const char* const OpenFilter
    = "Any text|*.txt;*.rtf;*.fb2|Plain text|*.txt|Rich text|*.rtf|FictionBook text|*.fb2|"
      "All types|*.*";

// Names a file and lists what the editor could not hold of it, a line for each
// kind; then comes what happens, and the message ends with ending.
std::string LossMessage(const std::string& path, const TRtfLosses& losses, std::string_view ending)
{
    std::string text
        = Cp("Файл \"") + PathForDisplay(path) + Cp("\" содержит то, что редактор не сохраняет:");
    for (int k = 0; k < RtfLossKinds; ++k) {
        const auto kind = static_cast<TRtfLoss>(k);
        if (losses.Has(kind))
            text += Cp("\n– ") + Cp(RtfLossName(kind));
    }
    return text + Cp("\n\nЕсли записать текст в этот файл, всё это будет потеряно. ") + Cp(ending);
}

} // namespace

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

TDocuments::TDocuments(UserInterface& ui, MainWindow& window, DocumentEditor& editor, ShellHooks& hooks)
    : m_ui(ui)
    , m_window(window)
    , m_editor(editor)
    , m_hooks(hooks)
{
}

void TDocuments::SetModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    std::string title = m_window.Title();
    if (modified) {
        if (title.empty())
            title = " *";
        else if (title.back() != '*')
            title += " *";
    } else if (!title.empty() && title.back() == '*') {
        title.resize(title.size() >= 2 ? title.size() - 2 : 0);
    }
    m_window.SetTitle(title);
}

bool TDocuments::ConfirmDiscard()
{
    if (!m_ui.IsCommandChecked("ToConfirm1") || !m_modified)
        return false;
    return !m_ui.QuestionYesNo(Cp("Результаты редактирования будут потеряны. Продолжить операцию?"));
}

bool TDocuments::OpenDocument(const std::string& path)
{
    // A device or a pipe never ends and a huge file would exhaust memory.
    if (RefuseInputFile(m_ui, path))
        return false;
    {
        const auto busy = BusyScope(m_ui, Cp("Загрузка файла ") + PathForDisplay(path) + " ...");
        m_editor.SetWordWrap(m_ui.IsCommandChecked("WordWrap1"));
        try {
            LoadDocument(path);
        } catch (const EFileError& e) {
            ReportFileError(m_ui, path, e.Reason());
            return false;
        }
        TextDocument& doc = m_editor.Document();
        ShowPosition(doc, std::clamp(RecentPosition(path), 0, doc.Length()));
        CurrentFileName = path;
        AddRecentFile(path, doc.SelStart());
        TextDirectory = DirectoryOf(path);
        SetModified(false);
        m_hooks.ClearUndo();
    }
    // Once the loading status is gone: the text is there to see behind the box.
    if (!m_lossy.Losses.Empty()) {
        m_ui.WarningBox(LossMessage(
            path, m_lossy.Losses, "Исходный файл останется целым, если сохранить текст под другим именем."));
    }
    return true;
}

void TDocuments::LoadDocument(const std::string& path)
{
    TScopeGuard busy([this] { m_ui.SetBusyCursor(true); }, [this] { m_ui.SetBusyCursor(false); });
    // Everything is read and decoded before the editor changes, so a file that
    // cannot be read leaves the editor, the mode and the title as they were.
    TFileStamp stamp;
    const std::string bytes = ReadWholeFile(path, &stamp);
    TLoadedText loaded = DecodeText(bytes, TextFormatOf(path));
    m_editor.SetRichText(loaded.Rich);
    m_ui.SetCommandChecked("RTF1", loaded.Rich);
    m_ui.SetCommandEnabled("Font1", !loaded.Rich);
    m_editor.SetContent(loaded.Content);
    m_plainStyle = loaded.PlainStyle;
    m_lossy = loaded.Losses.Empty() ? TLossyFile {} : TLossyFile { path, stamp, loaded.Losses };
    m_window.SetTitle(path);
    // The title was replaced, so the mark must be set afresh.
    m_modified = false;
}

void TDocuments::SaveDocument(const std::string& path) const
{
    const TStyledText content = m_editor.Content();
    const std::string bytes = m_editor.IsRichText() ? WriteRtf(content, m_window.EditorFont().Name)
                                                    : EncodePlainText(content, m_plainStyle);
    WriteFileAtomic(path, bytes);
}

void TDocuments::RememberPosition()
{
    if (CurrentFileName.empty())
        return;
    m_recent.SetPosition(CurrentFileName, m_editor.Document().SelStart());
}

void TDocuments::AddRecentFile(const std::string& path, int position)
{
    if (path.empty() || m_recent.Index(path) != 0)
        return;
    m_ui.SetCommandEnabled("ClearFileList1", true);
    m_recent.Add(path, position);
    m_window.SetRecentFiles(m_recent.Paths());
}

void TDocuments::Open1Click()
{
    if (ConfirmDiscard())
        return;
    const std::string path = m_ui.ChooseOpenFile(TFileChoice { TextDirectory, "", OpenFilter });
    if (path.empty())
        return;
    TextDocument& editor = m_editor.Document();
    TScopeGuard busy([&editor] { editor.SetBusyCursor(true); }, [&editor] { editor.SetBusyCursor(false); });
    RememberPosition();
    OpenDocument(path);
}

void TDocuments::Saveas1Click()
{
    if (m_editor.Document().Length() == 0)
        return;
    const std::string path = m_ui.ChooseSaveFile(TFileChoice { "", CurrentFileName, "" });
    if (path.empty())
        return;
    // Over the file the text came from, the question says what it would lose,
    // in place of the plain overwrite question; No is the default of both.
    const bool lossy = ReplacesLossyFile(path);
    if (lossy) {
        if (!m_ui.QuestionYesNo(LossMessage(path, m_lossy.Losses, "Переписать?")))
            return;
    } else if (FileExists(path) && !ConfirmOverwrite(m_ui, PathForDisplay(path))) {
        return;
    }
    TScopeGuard busy([this] { m_ui.SetBusyCursor(true); }, [this] { m_ui.SetBusyCursor(false); });
    try {
        SaveDocument(path);
    } catch (const EFileError& e) {
        ReportFileError(m_ui, path, e.Reason());
        return;
    }
    if (lossy)
        m_lossy = {};
    TextDirectory = DirectoryOf(path);
    CurrentFileName = path;
    SetModified(false);
}

void TDocuments::Close1Click()
{
    if (ConfirmDiscard())
        return;
    RememberPosition();
    m_editor.SetContent({});
    SetModified(false);
    m_window.SetTitle("");
    CurrentFileName.clear();
    m_lossy = {};
}

bool TDocuments::ReplacesLossyFile(const std::string& path) const
{
    if (m_lossy.Losses.Empty() || !FileExists(path))
        return false;
    if (path == m_lossy.Path)
        return true;
    const TFileStamp stamp = StampOfPath(path);
    return stamp.Exists && m_lossy.Stamp.Exists && stamp.Device == m_lossy.Stamp.Device
        && stamp.Inode == m_lossy.Stamp.Inode;
}

void TDocuments::ClearFileList1Click()
{
    if (!m_ui.QuestionYesNo(Cp("Очистить список последних файлов?")))
        return;
    m_recent.Clear();
    m_window.SetRecentFiles({});
    m_ui.SetCommandEnabled("ClearFileList1", false);
}

void TDocuments::RecentFileClick(int number)
{
    if (number < 1 || number > m_recent.Count())
        return;
    if (ConfirmDiscard())
        return;
    // The entry may move when the list changes; take its path first.
    const std::string path = m_recent.Entry(number).Path;
    RememberPosition();
    OpenDocument(path);
}

void TDocuments::FilesDropped(const std::vector<std::string>& paths)
{
    if (paths.empty() || paths.front().empty())
        return;
    if (ConfirmDiscard())
        return;
    RememberPosition();
    OpenDocument(paths.front());
}

void TDocuments::EditorChanged()
{
    // The editor reports the changes that start-up makes itself; only what
    // happens to the text after that is an edit.
    if (m_starting)
        return;
    SetModified(true);
    if (!m_hooks.IsBusy())
        m_hooks.RefreshCommands();
}

} // namespace tildo
