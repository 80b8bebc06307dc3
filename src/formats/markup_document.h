#pragma once

#include "formats/plain_text_format.h"
#include "formats/text_map.h"
#include "formats/zip_archive.h"
#include "text/memory_document.h"

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildo {

class TFormatHandler;
struct TDocumentPart;

// Documents whose running text lies inside markup or an archive. RTF is one
// for the command-line tool only (the window reads it into styled text), so no
// extension or format name stands for it here. FictionBook is one for the
// command-line tool too (the window reads it as text), alone or zipped, and
// so is flat OpenDocument text (the content of an ODT in one file).
enum class TDocumentFormat { Docx, Odt, Epub, Html, Markdown, Srt, Vtt, Rtf, Fb2, Fodt };

// The format a file name's extension stands for (case aside); none for the
// formats of plain text and RTF.
std::optional<TDocumentFormat> DocumentFormatOf(std::string_view path);
// The format of a name on the command line ("docx", "md", ...); none for others.
std::optional<TDocumentFormat> DocumentFormatNamed(std::string_view name);

// A document read for a pass: the engine sees its running text as lines (a
// paragraph, a cue line or a line of Markdown is a line), and writing it back
// changes the bytes of the changed letters only, marks aside. Archive members
// without changes are copied as they are stored. The document keeps views of
// its own bytes and is neither copied nor moved. A file that is not an
// archive is held once: its bytes are the part the text is read from.
class TMarkupDocument
{
public:
    // Throws EDocumentError (with a message for the user) when the bytes are
    // not a document of that format. The encoding choice applies to the
    // formats that are not archives (whose XML is UTF-8).
    // An archive that unpacks to more than maxUnpacked bytes is refused.
    TMarkupDocument(std::string bytes, TDocumentFormat format,
        TEncodingChoice encoding = TEncodingChoice::Auto,
        unsigned long long maxUnpacked = TZipArchive::DefaultMaxUnpacked);
    ~TMarkupDocument();
    TMarkupDocument(const TMarkupDocument&) = delete;
    TMarkupDocument& operator=(const TMarkupDocument&) = delete;

    TDocumentFormat Format() const { return m_format; }
    // The running text for the engine.
    const MemoryDocument& Document() const { return m_document; }
    // The same text as UTF-8, with every character the document holds (made
    // when asked: the document keeps only the engine's copy).
    std::string Text() const { return m_document.ToUtf8(); }

    // The document's bytes with the letters that differ in edited (the
    // running text after a pass) written in place. Throws EDocumentError.
    // An archive's members are patched in place while the new archive is
    // packed and put back before it returns: two writes of one document do
    // not run at once.
    std::string Write(const MemoryDocument& edited) const;
    // The same bytes given to out piece by piece, without the whole result
    // held in memory where the document is not an archive; whether any
    // letter changed. Nothing is given to out when it throws.
    bool WriteTo(const MemoryDocument& edited, const std::function<void(std::string_view)>& out) const;

private:
    // The bytes as read.
    const std::string& Original() const;
    std::string Written(std::vector<TLetterChange> changes) const;
    void ReadReleasedParts() const;
    void OpenArchive(unsigned long long maxUnpacked);
    void OpenSingle(TEncodingChoice encoding);
    // A file in a code page read through UTF-8 (declared, or UTF-16 by its
    // mark); false when the file is in none.
    bool OpenForeign(bool xml);
    void AddMember(const std::string& name, bool required);

    std::string m_bytes;
    TDocumentFormat m_format;
    std::unique_ptr<TZipArchive> m_zip;
    std::string m_foreign; // the code page the file is written back in; empty: as read
    std::vector<std::unique_ptr<TDocumentPart>> m_parts;
    // The structure checks of large members, running while the members are
    // read; after m_parts, so that they end before the bytes they read go.
    std::vector<std::pair<std::string, std::future<std::string>>> m_checks;
    unsigned long long m_memberBytes = 0; // unpacked size of the text members read so far
    std::unique_ptr<TFormatHandler> m_handler;
    // Where the text lies in the members: a write that reads a member again
    // points the map at its new bytes.
    mutable TTextMap m_map;
    MemoryDocument m_document;
};

} // namespace tildo
