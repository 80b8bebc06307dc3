#pragma once

#include "app/recent_files.h"
#include "formats/markup_document.h"
#include "formats/plain_text_format.h"
#include "formats/rtf_losses.h"
#include "platform/file_io.h"

#include <memory>
#include <string>
#include <vector>

namespace tildo {

class DocumentEditor;
class MainWindow;
class ShellHooks;
class UserInterface;

// The text in the main window's editor: opening (from the dialog, the recent
// list, the command line or a drop), saving, clearing, the modified state with
// its title mark, the unsaved-changes question and the recent-text list with
// a caret position remembered for each text. Paths are file-system paths.
class TDocuments
{
public:
    TDocuments(UserInterface& ui, MainWindow& window, DocumentEditor& editor, ShellHooks& hooks);

    // Path of the text last opened or saved; empty after clearing.
    std::string CurrentFileName;
    // Directory of the last text opened or saved: where the open dialog starts.
    std::string TextDirectory;

    bool Modified() const { return m_modified; }
    // Sets the flag and the " *" mark at the end of the window title.
    void SetModified(bool modified);
    // The unsaved-changes question: "Сохранить" (the save dialog), "Не
    // сохранять" or "Отмена"; true when the operation is refused.
    bool ConfirmDiscard();

    // Opens a text by path; false (with a message) when it cannot be opened.
    bool OpenDocument(const std::string& path);
    // Puts a file into the editor in the mode its name calls for; throws
    // EFileError when it cannot be read, and then changes nothing. An RTF
    // file with content the editor cannot hold (pictures, footnotes, page
    // setup) shows its running text like the other documents; should even
    // that fail, it is shown as styled text and remembered, so that saving
    // over it asks first.
    void LoadDocument(const std::string& path);
    // What the file last loaded holds that saving over it would lose; empty
    // when nothing, or when that file has been replaced with the editor's text.
    const TRtfLosses& Losses() const { return m_lossy.Losses; }
    // Writes the editor's content to path in the editor's mode: RTF for rich
    // text, otherwise plain text as it was read (encoding, BOM, line breaks).
    // Throws EFileError; the file is replaced atomically.
    void SaveDocument(const std::string& path) const;

    void RememberPosition();
    void AddRecentFile(const std::string& path, int position);
    int RecentPosition(const std::string& path) const { return m_recent.Position(path); }
    const TRecentFiles& RecentFiles() const { return m_recent; }

    // Menu commands and window events.
    void Open1Click();
    void Saveas1Click();
    void Close1Click();
    void ClearFileList1Click();
    void RecentFileClick(int number); // 1 … 9
    void FilesDropped(const std::vector<std::string>& paths);
    // The editor's change notification.
    void EditorChanged();
    // The document the text came from when it is one of the formats whose
    // running text the editor shows (DOCX, ODT, FictionBook, EPUB, HTML,
    // Markdown, SRT, VTT, and RTF the editor cannot hold); null for plain
    // text and for RTF shown as styled text.
    const TMarkupDocument* Markup() const { return m_markup.get(); }
    // Start-up has finished: from now on every change of the text is an edit.
    void StartupFinished() { m_starting = false; }

private:
    // Reads a document's running text into the editor, a paragraph a line.
    void LoadMarkup(const std::string& path, std::string bytes, TDocumentFormat format);
    // The document with the restored letters of the editor's text written
    // in, as the command-line tool writes it; throws EDocumentError when the
    // text was changed beyond е and ё.
    std::string MarkupBytes() const;
    // Saves to path; false after a message when nothing was written.
    bool SaveTo(const std::string& path);
    // True when path names the file whose content the editor could not hold.
    bool ReplacesLossyFile(const std::string& path) const;

    // The RTF file loaded with content the editor cannot hold.
    struct TLossyFile
    {
        std::string Path;
        TFileStamp Stamp; // of the file as it was read: other names of it count too
        TRtfLosses Losses;
    };

    UserInterface& m_ui;
    MainWindow& m_window;
    DocumentEditor& m_editor;
    ShellHooks& m_hooks;
    TRecentFiles m_recent;
    TPlainTextStyle m_plainStyle;
    bool m_modified = false;
    bool m_starting = true;
    TLossyFile m_lossy;
    std::unique_ptr<TMarkupDocument> m_markup;
};

// The directory part of a path, without the trailing '/' (but "/" for a file
// in the root); empty when the path has none.
std::string DirectoryOf(const std::string& path);

} // namespace tildo
