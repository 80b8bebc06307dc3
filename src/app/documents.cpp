#include "documents.h"

#include "app/document_editor.h"
#include "app/main_window.h"
#include "app/shell_hooks.h"
#include "formats/rtf_writer.h"
#include "formats/styled_text.h"
#include "formats/text_formats.h"
#include "formats/text_map.h"
#include "platform/file_io.h"
#include "platform/scope_guard.h"
#include "platform/text_document.h"
#include "platform/user_interface.h"
#include "text/cp1251.h"
#include "text/file_messages.h"
#include "text/letters.h"
#include "text/memory_document.h"

#include <algorithm>

namespace tildo {

namespace {

// UTF-8, as the file dialogs take their filters.
const char* const OpenFilter
    = "Все тексты и документы|*.txt;*.rtf;*.fb2;*.docx;*.odt;*.epub;*.html;*.htm;*.xhtml;"
      "*.fodt;*.md;*.markdown;*.srt;*.vtt;*.fb2.zip|Простой текст|*.txt|Текст RTF|*.rtf|"
      "Текст FictionBook|*.fb2;*.fb2.zip|Документ Word|*.docx|Документ OpenDocument|*.odt;*.fodt|"
      "Книга EPUB|*.epub|Страница HTML|*.html;*.htm;*.xhtml|Markdown|*.md;*.markdown|"
      "Субтитры|*.srt;*.vtt|Все файлы|*.*";
const char* const PlainSaveFilter = "Простой текст|*.txt|Текст RTF|*.rtf";

const char* FormatName(TDocumentFormat format)
{
    switch (format) {
    case TDocumentFormat::Docx:
        return "DOCX";
    case TDocumentFormat::Odt:
    case TDocumentFormat::Fodt:
        return "ODT";
    case TDocumentFormat::Fb2:
        return "FictionBook";
    case TDocumentFormat::Epub:
        return "EPUB";
    case TDocumentFormat::Html:
        return "HTML";
    case TDocumentFormat::Markdown:
        return "Markdown";
    case TDocumentFormat::Srt:
        return "SRT";
    case TDocumentFormat::Vtt:
        return "VTT";
    case TDocumentFormat::Rtf:
        break;
    }
    return "RTF";
}

// The formats whose running text the editor shows, a paragraph a line, and
// whose files are written back by patching the restored letters in. RTF is
// read into styled text when the editor holds all of it, and goes this way
// only when it does not (see LoadDocument).
std::optional<TDocumentFormat> MarkupFormatOf(const std::string& path)
{
    const std::optional<TDocumentFormat> format = DocumentFormatOf(path);
    if (format == TDocumentFormat::Rtf)
        return std::nullopt;
    return format;
}

// The document format a file's name calls for, RTF included.
std::optional<TDocumentFormat> FileFormatOf(const std::string& path)
{
    if (TextFormatOf(path) == TTextFormat::Rtf)
        return TDocumentFormat::Rtf;
    return DocumentFormatOf(path);
}

// Bytes that no text has: a zero byte near the start (but for UTF-16 with
// its byte order mark) or the signature of an archive, a picture or a PDF.
bool LooksBinary(std::string_view bytes)
{
    for (const std::string_view magic : { std::string_view("PK\x03\x04", 4), std::string_view("\x89PNG"),
             std::string_view("\xFF\xD8\xFF"), std::string_view("GIF8"), std::string_view("%PDF-") }) {
        if (bytes.substr(0, magic.size()) == magic)
            return true;
    }
    const bool utf16 = bytes.size() >= 2
        && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    return !utf16 && bytes.substr(0, 8192).find('\0') != std::string_view::npos;
}

std::u32string Utf32Of(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    char32_t ch = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        NextUtf8(utf8, i, ch);
        out += ch;
    }
    return out;
}

// The text with ё and Ё written as е and Е.
std::u32string FoldedUtf32(std::u32string text)
{
    for (char32_t& ch : text) {
        if (ch == U'ё')
            ch = U'е';
        else if (ch == U'Ё')
            ch = U'Е';
    }
    return text;
}

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
    switch (m_ui.QuestionSaveChanges(Cp("Текст изменён. Сохранить изменения?"))) {
    case TDialogAnswer::Yes:
        // Saved under a name the user chooses; a cancelled or failed save
        // keeps the text and stops the operation.
        Saveas1Click();
        return m_modified;
    case TDialogAnswer::No:
        return false;
    case TDialogAnswer::Cancel:
        break;
    }
    return true;
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
        } catch (const EDocumentError& e) {
            m_ui.ErrorBox(Cp("Файл \"") + PathForDisplay(path) + "\": " + Utf8ToCp1251(e.what())
                + Cp("; файл не открыт"));
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
    std::string bytes = ReadWholeFile(path, &stamp);
    if (const std::optional<TDocumentFormat> format = MarkupFormatOf(path)) {
        LoadMarkup(path, std::move(bytes), *format);
        return;
    }
    // A picture or an archive is never shown as letters.
    if (LooksBinary(bytes))
        throw EDocumentError("это не текст и не документ известного программе формата");
    TLoadedText loaded = DecodeText(bytes, TextFormatOf(path));
    if (!loaded.Losses.Empty() && FileFormatOf(path) == TDocumentFormat::Rtf) {
        // Pictures, footnotes or page setup the editor would drop: the
        // running text is edited instead and only its letters go back into
        // the file. RTF that even that cannot read is shown as styled text
        // with a warning of what saving over it would lose.
        try {
            LoadMarkup(path, bytes, TDocumentFormat::Rtf);
            return;
        } catch (const EDocumentError&) {
        }
    }
    m_markup.reset();
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

void TDocuments::LoadMarkup(const std::string& path, std::string bytes, TDocumentFormat format)
{
    auto markup = std::make_unique<TMarkupDocument>(std::move(bytes), format);
    TStyledText content;
    content.Append(Utf32Of(markup->Text()), TCharFormat {});
    m_editor.SetRichText(false);
    m_ui.SetCommandChecked("RTF1", false);
    m_ui.SetCommandEnabled("Font1", true);
    m_editor.SetContent(content);
    m_plainStyle = {};
    m_lossy = {};
    m_markup = std::move(markup);
    m_window.SetTitle(path + " [" + FormatName(format) + "]");
    m_modified = false;
}

std::string TDocuments::MarkupBytes() const
{
    // The text with the colour of every character (the marks of a pass): the
    // editor gives the formats back in its rich mode only.
    const bool rich = m_editor.IsRichText();
    m_editor.SetRichText(true);
    const TStyledText content = m_editor.Content();
    m_editor.SetRichText(rich);
    std::u32string text;
    std::vector<TColour> colours;
    for (const TStyledRun& run : content.Runs()) {
        text += run.Text;
        colours.insert(colours.end(), run.Text.size(), run.Format.Colour);
    }
    if (FoldedUtf32(text) != FoldedUtf32(Utf32Of(m_markup->Text())))
        throw EDocumentError("текст изменён не только в буквах «е» и «ё»");
    std::string utf8;
    for (const char32_t ch : text)
        AppendUtf8(utf8, ch);
    MemoryDocument edited = MemoryDocument::FromUtf8(utf8);
    const std::string& before = m_markup->Document().TextRef();
    const std::string& after = edited.TextRef();
    for (std::size_t i = 0; i < after.size() && i < colours.size(); ++i) {
        if (i < before.size() && before[i] != after[i] && colours[i] != ColourBlack) {
            edited.Select(static_cast<int>(i), 1);
            edited.SetSelectionColour(colours[i]);
        }
    }
    return m_markup->Write(edited);
}

void TDocuments::SaveDocument(const std::string& path) const
{
    if (m_markup != nullptr && FileFormatOf(path) == m_markup->Format()) {
        WriteFileAtomic(path, MarkupBytes());
        return;
    }
    if (MarkupFormatOf(path))
        throw EDocumentError(std::string("в файл ") + FormatName(*MarkupFormatOf(path))
            + " записывается только документ, открытый из такого файла; выберите имя с расширением .txt или "
              ".rtf");
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
    if (SaveTo(path) || m_markup == nullptr || FileFormatOf(path) != m_markup->Format())
        return;
    // An edit the document cannot take: nothing is lost if the text goes to
    // a file of its own.
    if (!m_ui.QuestionYesNo(Cp("Сохранить текст как простой текст или RTF?")))
        return;
    const std::string dot = path.substr(0, path.rfind('.'));
    const std::string other
        = m_ui.ChooseSaveFile(TFileChoice { DirectoryOf(path), dot + ".txt", PlainSaveFilter });
    if (other.empty())
        return;
    // The editor's own text, even into a file of the document's format (RTF):
    // the document stays open behind it should that fail.
    std::unique_ptr<TMarkupDocument> markup = std::move(m_markup);
    if (!SaveTo(other))
        m_markup = std::move(markup);
}

bool TDocuments::SaveTo(const std::string& path)
{
    // Over the file the text came from, the question says what it would lose,
    // in place of the plain overwrite question; No is the default of both.
    const bool lossy = ReplacesLossyFile(path);
    if (lossy) {
        if (!m_ui.QuestionYesNo(LossMessage(path, m_lossy.Losses, "Переписать?")))
            return false;
    } else if (FileExists(path) && !ConfirmOverwrite(m_ui, PathForDisplay(path))) {
        return false;
    }
    TScopeGuard busy([this] { m_ui.SetBusyCursor(true); }, [this] { m_ui.SetBusyCursor(false); });
    try {
        SaveDocument(path);
    } catch (const EFileError& e) {
        ReportFileError(m_ui, path, e.Reason());
        return false;
    } catch (const EDocumentError& e) {
        m_ui.ErrorBox(Cp("Файл \"") + PathForDisplay(path) + Cp("\" не записан: ") + Utf8ToCp1251(e.what()));
        return false;
    }
    if (lossy)
        m_lossy = {};
    // Saved as plain text or RTF, the text no longer belongs to its document.
    if (m_markup != nullptr && FileFormatOf(path) != m_markup->Format())
        m_markup.reset();
    TextDirectory = DirectoryOf(path);
    CurrentFileName = path;
    SetModified(false);
    return true;
}

void TDocuments::Close1Click()
{
    if (ConfirmDiscard())
        return;
    RememberPosition();
    m_markup.reset();
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
