#include "formats/markup_document.h"

#include "formats/format_handlers.h"
#include "formats/markup_scanner.h"
#include "formats/plain_text_format.h"
#include "formats/rtf_reader.h"
#include "formats/transcoding.h"
#include "formats/zip_archive.h"
#include "platform/file_io.h"
#include "platform/scope_guard.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <map>
#include <system_error>

namespace tildo {

namespace {

// Members at least this large have their structure checked beside their reading.
constexpr std::size_t ConcurrentCheckBytes = std::size_t(1) << 20;

struct TFormatName
{
    std::string_view Name;
    TDocumentFormat Format;
};

constexpr TFormatName FormatNames[] = {
    { "docx", TDocumentFormat::Docx },
    { "odt", TDocumentFormat::Odt },
    { "epub", TDocumentFormat::Epub },
    { "html", TDocumentFormat::Html },
    { "htm", TDocumentFormat::Html },
    { "xhtml", TDocumentFormat::Html },
    { "md", TDocumentFormat::Markdown },
    { "markdown", TDocumentFormat::Markdown },
    { "srt", TDocumentFormat::Srt },
    { "vtt", TDocumentFormat::Vtt },
    { "fb2", TDocumentFormat::Fb2 },
    { "fodt", TDocumentFormat::Fodt },
};

std::string Lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

std::string_view FormatTitle(TDocumentFormat format)
{
    switch (format) {
    case TDocumentFormat::Docx:
        return "DOCX";
    case TDocumentFormat::Odt:
        return "ODT";
    case TDocumentFormat::Epub:
        return "EPUB";
    case TDocumentFormat::Fb2:
        return "FictionBook";
    default:
        return "";
    }
}

// What went wrong in the XML, in words for the user (the parser's own are English).
std::string XmlReason(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_out_of_memory:
        return "недостаточно памяти";
    case pugi::status_bad_comment:
        return "испорчен комментарий";
    case pugi::status_bad_cdata:
        return "испорчен раздел CDATA";
    case pugi::status_bad_doctype:
        return "испорчено объявление типа документа";
    case pugi::status_bad_pi:
        return "испорчена инструкция обработки";
    case pugi::status_bad_start_element:
        return "испорчен открывающий тег";
    case pugi::status_bad_attribute:
        return "испорчен атрибут";
    case pugi::status_bad_end_element:
        return "испорчен закрывающий тег";
    case pugi::status_end_element_mismatch:
        return "теги не парны";
    case pugi::status_no_document_element:
        return "нет корневого элемента";
    default:
        return "ошибка разбора";
    }
}

// The tree of a small XML file the program reads for its references.
void ParseXml(pugi::xml_document& xml, const std::string& bytes, const std::string& name)
{
    const pugi::xml_parse_result result = xml.load_buffer(bytes.data(), bytes.size(), pugi::parse_default);
    if (!result)
        throw EDocumentError(name + ": испорченный XML (" + XmlReason(result.status) + ", байт "
            + std::to_string(result.offset) + ")");
}

// A path inside the archive from a reference relative to a member's directory.
std::string ResolvePath(const std::string& directory, std::string_view href)
{
    href = href.substr(0, href.find('#'));
    std::string decoded;
    for (std::size_t i = 0; i < href.size(); ++i) {
        if (href[i] == '%' && i + 2 < href.size() && std::isxdigit(static_cast<unsigned char>(href[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(href[i + 2]))) {
            decoded += static_cast<char>(std::stoi(std::string(href.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            decoded += href[i];
        }
    }
    std::vector<std::string> parts;
    const std::string full = decoded.starts_with("/") ? decoded.substr(1) : directory + decoded;
    std::size_t from = 0;
    while (from <= full.size()) {
        const std::size_t slash = std::min(full.find('/', from), full.size());
        const std::string piece = full.substr(from, slash - from);
        if (piece == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        from = slash + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

// Whether an XML file of a book or flat document is read as UTF-8: as its
// declaration says, as the user says, or as its bytes look without either.
bool XmlFileIsUtf8(std::string_view bytes, TEncodingChoice encoding)
{
    if (encoding != TEncodingChoice::Auto)
        return encoding == TEncodingChoice::Utf8;
    const std::string declared = DeclaredXmlEncodingName(bytes);
    if (declared.empty() || declared == "us-ascii" || declared == "ascii")
        return DetectEncoding(bytes) == TTextEncoding::Utf8;
    const TEncodingChoice named = DeclaredXmlEncoding(bytes);
    if (named == TEncodingChoice::Auto)
        throw EDocumentError("кодировка " + declared + " не читается (читаются utf-8 и windows-1251)");
    return named == TEncodingChoice::Utf8;
}

} // namespace

std::optional<TDocumentFormat> DocumentFormatNamed(std::string_view name)
{
    const std::string lower = Lower(name);
    for (const TFormatName& f : FormatNames) {
        if (f.Name == lower)
            return f.Format;
    }
    return std::nullopt;
}

std::optional<TDocumentFormat> DocumentFormatOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    if (Lower(file).ends_with(".fb2.zip") && dot > 4)
        return TDocumentFormat::Fb2;
    return DocumentFormatNamed(file.substr(dot + 1));
}

TMarkupDocument::TMarkupDocument(
    std::string bytes, TDocumentFormat format, TEncodingChoice encoding, unsigned long long maxUnpacked)
    : m_bytes(std::move(bytes))
    , m_format(format)
{
    switch (format) {
    case TDocumentFormat::Docx:
        m_handler = MakeDocxHandler();
        break;
    case TDocumentFormat::Odt:
    case TDocumentFormat::Fodt:
        m_handler = MakeOdtHandler();
        break;
    case TDocumentFormat::Fb2:
        m_handler = MakeFictionBookHandler();
        break;
    case TDocumentFormat::Epub:
        m_handler = MakeWebPageHandler(true);
        break;
    case TDocumentFormat::Html:
        m_handler = MakeWebPageHandler(false);
        break;
    case TDocumentFormat::Markdown:
        m_handler = MakeMarkdownHandler();
        break;
    case TDocumentFormat::Srt:
    case TDocumentFormat::Vtt:
        m_handler = MakeSubtitleHandler(format == TDocumentFormat::Vtt);
        break;
    case TDocumentFormat::Rtf:
        m_handler = MakeRtfHandler();
        break;
    }
    if (format == TDocumentFormat::Docx || format == TDocumentFormat::Odt || format == TDocumentFormat::Epub
        || (format == TDocumentFormat::Fb2 && LooksLikeZip(m_bytes)))
        OpenArchive(maxUnpacked);
    else
        OpenSingle(encoding);
    std::size_t total = 0;
    for (const auto& part : m_parts)
        total += part->Bytes.size();
    m_map.Reserve(total);
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        const TDocumentPart& part = *m_parts[i];
        m_map.SetPart(static_cast<int>(i), part.Bytes, part.Utf8);
        m_handler->Read(static_cast<int>(i), part, m_map);
    }
    for (auto& [name, check] : m_checks) {
        const std::string error = check.get();
        if (!error.empty())
            throw EDocumentError(name + ": испорченный XML (" + error + ")");
    }
    m_checks.clear();
    m_map.FreezeAddresses();
    // The decoded text keeps room for as many characters as the UTF-8 had
    // bytes; the copy the document holds has room for its characters only.
    const MemoryDocument read = MemoryDocument::FromUtf8(m_map.Text());
    m_map.ReleaseText();
    m_document = read;
}

TMarkupDocument::~TMarkupDocument() = default;

void TMarkupDocument::AddMember(const std::string& name, bool required)
{
    const int index = m_zip->Find(name);
    if (index < 0) {
        if (required)
            throw EDocumentError("в архиве " + std::string(FormatTitle(m_format)) + " нет " + name);
        return;
    }
    // The text members are held in memory together, several times over while
    // the text is mapped: together they obey the limit of a file read whole,
    // whatever the archive's own cap lets through (pictures are only copied).
    const unsigned long long size = m_zip->Info(index).Size;
    m_memberBytes += size;
    if (m_memberBytes > static_cast<unsigned long long>(MaxInputFileSize))
        throw EDocumentError(
            "текст документа (" + name + " и прежние части) " + TooLargeReason(MaxInputFileSize));
    auto part = std::make_unique<TDocumentPart>();
    part->Name = name;
    part->Member = index;
    part->Bytes = m_zip->Read(index);
    if (m_format == TDocumentFormat::Fb2)
        part->Utf8 = XmlFileIsUtf8(part->Bytes, TEncodingChoice::Auto);
    if (part->Bytes.size() >= ConcurrentCheckBytes) {
        // A large member's structure is checked on another core while it is
        // read (reading trusts nothing, so it may go first).
        try {
            const std::string_view bytes = part->Bytes;
            m_checks.emplace_back(
                name, std::async(std::launch::async, [bytes] { return XmlStructureError(bytes); }));
            m_parts.push_back(std::move(part));
            return;
        } catch (const std::system_error&) {
            // No thread to be had: checked here.
        }
    }
    const std::string error = XmlStructureError(part->Bytes);
    if (!error.empty())
        throw EDocumentError(name + ": испорченный XML (" + error + ")");
    m_parts.push_back(std::move(part));
}

void TMarkupDocument::OpenArchive(unsigned long long maxUnpacked)
{
    if (!LooksLikeZip(m_bytes))
        throw EDocumentError(
            "это не архив zip, а файл " + std::string(FormatTitle(m_format)) + " должен им быть");
    m_zip = std::make_unique<TZipArchive>(m_bytes, maxUnpacked);
    if (m_format == TDocumentFormat::Docx) {
        AddMember("word/document.xml", true);
        for (int i = 0; i < m_zip->Count(); ++i) {
            const std::string name = m_zip->Name(i);
            const bool headerOrFooter = (name.starts_with("word/header") || name.starts_with("word/footer"))
                && name.ends_with(".xml") && name.find('/', 5) == std::string::npos;
            if (headerOrFooter || name == "word/footnotes.xml" || name == "word/endnotes.xml"
                || name == "word/comments.xml")
                AddMember(name, false);
        }
        AddMember("docProps/core.xml", false);
        return;
    }
    if (m_format == TDocumentFormat::Odt) {
        AddMember("content.xml", true);
        AddMember("styles.xml", false);
        AddMember("meta.xml", false);
        return;
    }
    if (m_format == TDocumentFormat::Fb2) {
        // A zipped book: the one FictionBook file inside.
        std::string book;
        for (int i = 0; i < m_zip->Count(); ++i) {
            const std::string name = m_zip->Name(i);
            if (!Lower(name).ends_with(".fb2"))
                continue;
            if (!book.empty())
                throw EDocumentError("в архиве несколько книг FictionBook: " + book + " и " + name);
            book = name;
        }
        if (book.empty())
            throw EDocumentError("в архиве нет книги FictionBook (.fb2)");
        AddMember(book, true);
        return;
    }
    // EPUB: the package document named by the container, then its spine.
    const int containerIndex = m_zip->Find("META-INF/container.xml");
    if (containerIndex < 0)
        throw EDocumentError("в архиве EPUB нет META-INF/container.xml");
    const std::string containerBytes = m_zip->Read(containerIndex);
    pugi::xml_document container;
    ParseXml(container, containerBytes, "META-INF/container.xml");
    const std::string opfPath
        = container.select_node("//*[local-name()='rootfile']/@full-path").attribute().value();
    const int opfIndex = opfPath.empty() ? -1 : m_zip->Find(opfPath);
    if (opfIndex < 0)
        throw EDocumentError("в архиве EPUB нет описания книги (" + opfPath + ")");
    const std::string opfBytes = m_zip->Read(opfIndex);
    pugi::xml_document opf;
    ParseXml(opf, opfBytes, opfPath);
    const std::string directory = opfPath.substr(0, opfPath.rfind('/') + 1);
    std::map<std::string, std::string> manifest; // id → member of an XHTML document
    for (const pugi::xpath_node& item :
        opf.select_nodes("//*[local-name()='manifest']/*[local-name()='item']")) {
        const std::string type = item.node().attribute("media-type").value();
        if (type == "application/xhtml+xml")
            manifest[item.node().attribute("id").value()]
                = ResolvePath(directory, item.node().attribute("href").value());
    }
    std::vector<std::string> read;
    for (const pugi::xpath_node& ref :
        opf.select_nodes("//*[local-name()='spine']/*[local-name()='itemref']")) {
        const auto it = manifest.find(ref.node().attribute("idref").value());
        if (it == manifest.end() || std::find(read.begin(), read.end(), it->second) != read.end())
            continue;
        read.push_back(it->second);
        AddMember(it->second, true);
    }
    // The navigation page (read even when it is not in the reading order),
    // the old table of contents and the package's own title.
    for (const pugi::xpath_node& item :
        opf.select_nodes("//*[local-name()='manifest']/*[local-name()='item']")) {
        const std::string properties = std::string(" ") + item.node().attribute("properties").value() + " ";
        const std::string type = item.node().attribute("media-type").value();
        if (properties.find(" nav ") == std::string::npos && type != "application/x-dtbncx+xml")
            continue;
        const std::string path = ResolvePath(directory, item.node().attribute("href").value());
        if (std::find(read.begin(), read.end(), path) != read.end())
            continue;
        read.push_back(path);
        AddMember(path, false);
    }
    AddMember(opfPath, true);
}

void TMarkupDocument::OpenSingle(TEncodingChoice encoding)
{
    if (m_format == TDocumentFormat::Rtf) {
        // Its code pages are its own, and \bin data may hold any byte.
        if (!LooksLikeRtf(m_bytes))
            throw EDocumentError("это не RTF (файл не начинается с {\\rtf)");
        auto part = std::make_unique<TDocumentPart>();
        part->Bytes = std::move(m_bytes);
        part->Utf8 = false;
        m_parts.push_back(std::move(part));
        return;
    }
    const bool xml = m_format == TDocumentFormat::Fb2 || m_format == TDocumentFormat::Fodt;
    if (encoding == TEncodingChoice::Auto && OpenForeign(xml))
        return;
    if (std::memchr(m_bytes.data(), 0, m_bytes.size()) != nullptr)
        throw EDocumentError("это не текст (в нём есть нулевые байты)");
    if (xml) {
        auto part = std::make_unique<TDocumentPart>();
        part->Utf8 = XmlFileIsUtf8(m_bytes, encoding);
        const std::string error = XmlStructureError(m_bytes);
        if (!error.empty())
            throw EDocumentError("испорченный XML (" + error + ")");
        part->Bytes = std::move(m_bytes);
        m_parts.push_back(std::move(part));
        return;
    }
    auto part = std::make_unique<TDocumentPart>();
    part->Utf8 = encoding == TEncodingChoice::Auto ? DetectEncoding(m_bytes) == TTextEncoding::Utf8
                                                   : encoding == TEncodingChoice::Utf8;
    if (encoding == TEncodingChoice::Auto && !part->Utf8 && m_format == TDocumentFormat::Html) {
        // An ASCII page that declares UTF-8 gets its changed letters in UTF-8.
        const std::string head = Lower(std::string_view(m_bytes).substr(0, 4096));
        part->Utf8 = head.find("charset=utf-8") != std::string::npos
            || head.find("charset=\"utf-8\"") != std::string::npos;
        for (const unsigned char c : m_bytes)
            part->Utf8 = part->Utf8 && c < 0x80;
    }
    part->Bytes = std::move(m_bytes);
    m_parts.push_back(std::move(part));
}

bool TMarkupDocument::OpenForeign(bool xml)
{
    std::optional<TForeignEncoding> foreign = Utf16ByMark(m_bytes);
    std::string declared = foreign ? foreign->Name : std::string();
    if (!foreign && (xml || m_format == TDocumentFormat::Html)) {
        declared = DeclaredXmlEncodingName(m_bytes);
        if (declared.empty() && m_format == TDocumentFormat::Html)
            declared = DeclaredHtmlCharset(m_bytes);
        foreign = ForeignEncodingNamed(declared);
        const bool ascii
            = std::all_of(m_bytes.begin(), m_bytes.end(), [](char c) { return (c & 0x80) == 0; });
        // A page in a code page this program does not read keeps its letters
        // rather than have them guessed, unless it is all ASCII (its letters
        // are then references, written as references).
        if (!foreign && m_format == TDocumentFormat::Html && !declared.empty() && !ascii
            && DeclaredXmlEncoding("<?xml encoding=\"" + declared + "\"?>") == TEncodingChoice::Auto)
            throw EDocumentError("объявлена кодировка " + declared
                + ", которую программа не читает (читаются UTF-8, Windows-1251, KOI8-R, CP866, ISO-8859-5 и "
                  "UTF-16)");
    }
    if (!foreign)
        return false;
    // Read through UTF-8 only when the way back gives the very same bytes.
    std::optional<std::string> utf8 = Transcode(m_bytes, foreign->Name, "UTF-8");
    if (!utf8 || Transcode(*utf8, "UTF-8", foreign->Name) != m_bytes)
        throw EDocumentError("текст не читается в кодировке " + declared);
    if (std::memchr(utf8->data(), 0, utf8->size()) != nullptr)
        throw EDocumentError("это не текст (в нём есть нулевые символы)");
    auto part = std::make_unique<TDocumentPart>();
    part->Bytes = std::move(*utf8);
    part->Utf8 = true;
    if (xml) {
        const std::string error = XmlStructureError(part->Bytes);
        if (!error.empty())
            throw EDocumentError("испорченный XML (" + error + ")");
    }
    m_parts.push_back(std::move(part));
    m_foreign = foreign->Name;
    return true;
}

const std::string& TMarkupDocument::Original() const
{
    // A file that is not an archive and was read as it is lends its bytes
    // to its one part.
    return m_zip == nullptr && m_foreign.empty() ? m_parts.front()->Bytes : m_bytes;
}

std::string TMarkupDocument::Write(const MemoryDocument& edited) const
{
    ReadReleasedParts();
    return Written(m_map.Changes(m_document.TextRef(), edited));
}

void TMarkupDocument::ReadReleasedParts() const
{
    // A member an earlier write let go is read again, and its text found
    // where it now lies.
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        TDocumentPart& part = *m_parts[i];
        if (!part.Released)
            continue;
        part.Bytes = m_zip->Read(part.Member);
        part.Released = false;
        m_map.SetPart(static_cast<int>(i), part.Bytes, part.Utf8);
    }
}

bool TMarkupDocument::WriteTo(
    const MemoryDocument& edited, const std::function<void(std::string_view)>& out) const
{
    ReadReleasedParts();
    std::vector<TLetterChange> changes = m_map.Changes(m_document.TextRef(), edited);
    if (changes.empty()) {
        out(Original());
        return false;
    }
    if (m_zip != nullptr || !m_foreign.empty()) {
        out(Written(std::move(changes)));
        return true;
    }
    // A file as it was read goes out between its patches: the result is
    // never held whole beside the document.
    const TDocumentPart& part = *m_parts.front();
    std::vector<TBytePatch> patches = m_handler->Patches(0, part, changes);
    changes = {};
    // In order, as ApplyPatches puts them: formats give them in order but
    // for a few added at the end, which are sorted and merged in alone.
    const auto before = [](const TBytePatch& a, const TBytePatch& b) { return a.Byte < b.Byte; };
    const auto unsorted = std::is_sorted_until(patches.begin(), patches.end(), before);
    if (unsorted != patches.end()) {
        std::stable_sort(unsorted, patches.end(), before);
        std::inplace_merge(patches.begin(), unsorted, patches.end(), before);
    }
    const std::string_view bytes = part.Bytes;
    std::size_t end = 0;
    for (const TBytePatch& p : patches) {
        if (p.Byte < end || p.Byte + p.Length > bytes.size())
            throw EDocumentError("замены в документе пересекаются");
        end = p.Byte + p.Length;
    }
    std::size_t copied = 0;
    for (const TBytePatch& p : patches) {
        out(bytes.substr(copied, p.Byte - copied));
        out(p.Text);
        copied = p.Byte + p.Length;
    }
    out(bytes.substr(copied));
    return true;
}

std::string TMarkupDocument::Written(std::vector<TLetterChange> changes) const
{
    if (changes.empty())
        return Original();
    std::vector<std::vector<TLetterChange>> byPart(m_parts.size());
    if (changes.front().Part == changes.back().Part) {
        // One part changed (a single file, or most archives): its changes as
        // they are, without a copy.
        byPart[static_cast<std::size_t>(changes.front().Part)] = std::move(changes);
    } else {
        for (const TLetterChange& c : changes)
            byPart[static_cast<std::size_t>(c.Part)].push_back(c);
        changes = {};
    }
    // An archive this program packs itself has each changed member patched
    // where it lies when it can be (copied otherwise), packed, and let go
    // before the new archive is put together, so that a large member is
    // never held beside it; a later write reads it again. Through libzip, a
    // member whose patches are each as long as what they replace (a letter
    // without a mark always is) lends its own bytes to the new archive and
    // gets its letters back afterwards, so that no copy of it is made; the
    // others are patched into copies.
    const bool packHere = m_zip != nullptr && m_zip->CanPack();
    std::vector<TZipPacked> packed;
    std::vector<std::pair<int, std::string_view>> members;
    std::vector<std::string> copies;
    copies.reserve(m_parts.size()); // views of them are taken as they come
    std::vector<std::pair<std::string*, std::vector<TBytePatch>>> patchedInPlace;
    const TScopeGuard restore([] {},
        [&patchedInPlace] {
            for (auto& [bytes, undo] : patchedInPlace)
                PatchInPlace(*bytes, undo);
        });
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (byPart[i].empty())
            continue;
        TDocumentPart& part = *m_parts[i];
        std::vector<TBytePatch> patches = m_handler->Patches(static_cast<int>(i), part, byPart[i]);
        byPart[i] = {};
        if (packHere) {
            const bool inPlace
                = PatchInPlace(part.Bytes, patches) || PatchGrowingInPlace(part.Bytes, patches);
            part.Released = true;
            std::string copy;
            if (!inPlace) {
                copy = ApplyPatches(part.Bytes, std::move(patches));
                std::string().swap(part.Bytes);
            }
            packed.push_back(m_zip->Pack(part.Member, inPlace ? std::string_view(part.Bytes) : copy));
            std::string().swap(part.Bytes);
            continue;
        }
        if (m_zip != nullptr && PatchInPlace(part.Bytes, patches)) {
            patchedInPlace.emplace_back(&part.Bytes, std::move(patches));
            members.emplace_back(part.Member, part.Bytes);
            continue;
        }
        if (m_zip != nullptr && PatchGrowingInPlace(part.Bytes, patches)) {
            // Marks that fit the room the member was read with: its bytes
            // are the new member, and are read again for another write.
            part.Released = true;
            members.emplace_back(part.Member, part.Bytes);
            continue;
        }
        std::string bytes = ApplyPatches(part.Bytes, std::move(patches));
        if (m_zip == nullptr && !m_foreign.empty()) {
            std::optional<std::string> back = Transcode(bytes, "UTF-8", m_foreign);
            if (!back)
                throw EDocumentError("исправленный текст не записывается в кодировке " + m_foreign);
            return std::move(*back);
        }
        if (m_zip == nullptr)
            return bytes;
        // The member as read is not needed while the copy is packed: it goes,
        // so that a large member is not held twice, and comes back from the
        // archive when another write wants it.
        std::string().swap(part.Bytes);
        part.Released = true;
        copies.push_back(std::move(bytes));
        members.emplace_back(part.Member, copies.back());
    }
    if (packHere)
        return m_zip->WithPacked(packed);
    std::string archive = m_zip->WithReplaced(members);
    for (const auto& part : m_parts) {
        if (part->Released)
            std::string().swap(part->Bytes);
    }
    return archive;
}

} // namespace tildo
