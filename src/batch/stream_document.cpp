#include "stream_document.h"

#include "batch/messages.h"
#include "batch/stream_io.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>

namespace tildo {

namespace {

constexpr std::size_t ReadPiece = 1 << 20;
// A line longer than this (or than a block, if blocks are larger) is cut into
// pieces that the engine takes as lines of their own: one huge line costs no
// more than a block. Shorter lines are never cut, whatever the block size.
constexpr std::size_t LongLine = 1 << 20;

// A line longer than this many blocks is cut into pieces that the engine takes
// as lines of their own, so that one huge line costs no more than a few blocks.
constexpr std::size_t LongLineBlocks = 2;

// Where a line too long to hold is cut: after its last blank, so that no word
// is split; failing that (a line of one enormous "word", which no dictionary
// holds), before the last whole character. Never between a CR and what follows.
std::size_t CutPoint(std::string_view bytes, bool utf8)
{
    const std::size_t blank = bytes.find_last_of(" \t");
    if (blank != std::string_view::npos && blank > 0)
        return blank + 1;
    std::size_t at = bytes.size() - 1;
    if (utf8)
        while (at > 0 && (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80)
            --at;
    while (at > 0 && bytes[at - 1] == '\r')
        --at;
    return at > 0 ? at : bytes.size();
}

// Past one character of UTF-8 bytes, as the block's decoding takes it
// (inside a line, so never at a CR LF): Cyrillic letters directly.
std::size_t NextCharacter(std::string_view bytes, std::size_t at)
{
    const auto b0 = static_cast<unsigned char>(bytes[at]);
    if (b0 < 0x80)
        return at + 1;
    if ((b0 & 0xFE) == 0xD0 && at + 1 < bytes.size()
        && (static_cast<unsigned char>(bytes[at + 1]) & 0xC0) == 0x80)
        return at + 2;
    char32_t ch = 0;
    NextUtf8(bytes, at, ch);
    return at;
}

} // namespace

TStreamDocument::TStreamDocument(TByteInput& input, TTextEncoding encoding, TSink sink, int windowWords,
    int contextLetters, std::size_t blockBytes)
    : m_input(input)
    , m_encoding(encoding)
    , m_sink(std::move(sink))
    , m_windowWords(std::max(windowWords, 1))
    , m_contextLetters(std::max(contextLetters, 0) + 1)
    , m_blockBytes(std::max<std::size_t>(blockBytes, 1))
{
}

TStreamDocument::~TStreamDocument()
{
    StopReadAhead();
}

std::string TStreamDocument::TakeSpareRaw() const
{
    const std::lock_guard lock(m_mutex);
    if (m_spareRaws.empty())
        return {};
    std::string raw = std::move(m_spareRaws.back());
    m_spareRaws.pop_back();
    return raw;
}

bool TStreamDocument::ReadBlock(TReadBlock& block) const
{
    if (m_finalRead)
        return false;
    // The bytes kept from the last read hold no line break.
    bool hasBreak = false;
    const std::size_t longLine = std::max(m_blockBytes, LongLine);
    while (!m_eof && m_pending.size() < (hasBreak ? m_blockBytes : longLine)) {
        const std::size_t old = m_pending.size();
        const std::size_t n = m_input.ReadInto(m_pending, ReadPiece);
        m_bytesRead.fetch_add(n, std::memory_order_relaxed);
        if (m_readCounter != nullptr)
            *m_readCounter += n;
        if (n == 0)
            m_eof = true;
        else if (std::memchr(m_pending.data() + old, '\n', n) != nullptr)
            hasBreak = true;
    }
    const std::size_t lastBreak = hasBreak ? m_pending.rfind('\n') : std::string::npos;
    // A line that goes on past the long-line limit ends the block where it is cut.
    const bool cut = !hasBreak && !m_eof && !m_pending.empty();
    const bool final = lastBreak == std::string::npos && !cut;
    const std::size_t size = cut ? CutPoint(m_pending, m_encoding == TTextEncoding::Utf8)
        : final                  ? m_pending.size()
                                 : lastBreak + 1;
    const std::string_view bytes(m_pending.data(), size);

    block.Doc = m_encoding == TTextEncoding::Utf8 ? MemoryDocument::FromUtf8(bytes, m_firstRead)
                                                  : MemoryDocument::FromCp1251(bytes);
    m_firstRead = false;
    // The block keeps the bytes read and the bytes after its last break
    // wait in the storage of a block written out before.
    block.Raw = TakeSpareRaw();
    block.Raw.assign(m_pending, size);
    std::swap(block.Raw, m_pending);
    block.Raw.resize(size);
    block.Cut = cut;
    block.Final = final;
    block.Words = CountWords(block.Doc.TextRef(), block.FirstWord);
    m_finalRead = final;
    return true;
}

void TStreamDocument::AddBlock(TReadBlock&& read) const
{
    TBlock block;
    block.Doc = std::move(read.Doc);
    block.Raw = std::move(read.Raw);
    block.Start = m_nextStart;
    block.FirstLine = m_nextLine;
    // A cut block's last line has no break: it counts as a line of its own.
    block.Lines = block.Doc.LineCount() - (read.Final || read.Cut ? 0 : 1);
    block.Cuts = m_cuts;
    block.HeadStart = m_headStart;
    block.Words = read.Words;
    if (block.Words > 0)
        block.FirstWord = block.Start + static_cast<std::int64_t>(read.FirstWord);
    if (block.End() > INT_MAX)
        throw ECliError(ExitInputOutput,
            m_input.Name() + ": в тексте больше 2 147 483 647 знаков; разделите его на части");
    m_nextStart = block.End();
    m_nextLine += block.Lines;
    if (read.Cut) {
        ++m_cuts;
        if (block.Lines > 1 || m_headStart < 0)
            m_headStart = block.Start + block.Doc.LineStart(block.Lines - 1);
    } else {
        m_headStart = -1;
    }
    m_finalLoaded = read.Final;
    m_blocks.push_back(std::move(block));
}

bool TStreamDocument::LoadBlock() const
{
    if (m_finalLoaded)
        return false;
    TReadBlock read;
    if (!m_readAhead) {
        if (!ReadBlock(read))
            return false;
        AddBlock(std::move(read));
        return true;
    }
    if (!m_reader.joinable() && !m_readingDone)
        m_reader = std::thread([this] { ReadAheadLoop(); });
    {
        std::unique_lock lock(m_mutex);
        m_changedState.wait(lock, [this] { return !m_ready.empty() || m_readingDone; });
        if (m_ready.empty()) {
            if (m_readError)
                std::rethrow_exception(m_readError);
            return false;
        }
        read = std::move(m_ready.front());
        m_ready.pop_front();
    }
    m_changedState.notify_all();
    AddBlock(std::move(read));
    return true;
}

void TStreamDocument::ReadAheadLoop() const
{
    // Two blocks ahead keep the engine fed while it works through a block
    // with many decisions, at the cost of two blocks of memory.
    constexpr std::size_t Ahead = 2;
    try {
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                m_changedState.wait(lock, [this] { return m_stopReading || m_ready.size() < Ahead; });
                if (m_stopReading)
                    break;
            }
            TReadBlock read;
            const bool got = ReadBlock(read);
            const std::lock_guard lock(m_mutex);
            if (got)
                m_ready.push_back(std::move(read));
            if (!got || m_finalRead) {
                m_readingDone = true;
                break;
            }
            m_changedState.notify_all();
        }
    } catch (...) {
        const std::lock_guard lock(m_mutex);
        m_readError = std::current_exception();
    }
    const std::lock_guard lock(m_mutex);
    m_readingDone = true;
    m_changedState.notify_all();
}

void TStreamDocument::StopReadAhead() const
{
    if (!m_reader.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopReading = true;
    }
    m_changedState.notify_all();
    m_reader.join();
}

void TStreamDocument::NeedLine(int i) const
{
    while (i >= m_nextLine && LoadBlock()) { }
}

const TStreamDocument::TBlock* TStreamDocument::BlockOfLine(int i) const
{
    if (m_blocks.empty() || i < m_blocks.front().FirstLine || i >= m_nextLine)
        return nullptr;
    if (m_cached < m_blocks.size()) {
        const TBlock& b = m_blocks[m_cached];
        if (i >= b.FirstLine && i < b.FirstLine + b.Lines)
            return &b;
    }
    const auto it = std::upper_bound(
        m_blocks.begin(), m_blocks.end(), i, [](int line, const TBlock& b) { return line < b.FirstLine; });
    m_cached = static_cast<std::size_t>(it - m_blocks.begin()) - 1;
    return &m_blocks[m_cached];
}

TStreamDocument::TBlock* TStreamDocument::BlockOfOffset(std::int64_t offset) const
{
    while (!m_finalLoaded && offset >= m_nextStart && LoadBlock()) { }
    if (m_blocks.empty() || offset < m_blocks.front().Start)
        return nullptr;
    const auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), offset,
        [](std::int64_t o, const TBlock& b) { return o < b.Start; });
    auto index = static_cast<std::size_t>(it - m_blocks.begin()) - 1;
    // An empty final block shares its start with the end of the one before.
    while (index > 0 && m_blocks[index].Doc.Length() == 0 && offset == m_blocks[index].Start)
        --index;
    return &m_blocks[index];
}

void TStreamDocument::Release(int currentLine) const
{
    const TBlock* current = BlockOfLine(currentLine);
    if (current == nullptr)
        return;
    const std::size_t k = m_cached; // the index of current

    // The oldest word the window may hold is among the last windowWords words
    // of the blocks before the current one, or in the current block.
    std::int64_t earliest = current->Start;
    int words = 0;
    for (std::size_t j = k; j-- > 0;) {
        if (m_blocks[j].Words == 0)
            continue;
        earliest = m_blocks[j].FirstWord;
        words += m_blocks[j].Words;
        if (words >= m_windowWords)
            break;
    }
    earliest -= m_contextLetters;
    std::size_t released = 0;
    while (released < k && m_blocks.front().End() <= earliest) {
        WriteBlock(m_blocks.front());
        {
            // Its storage serves a later block.
            const std::lock_guard lock(m_mutex);
            if (m_spareRaws.size() < 2)
                m_spareRaws.push_back(std::move(m_blocks.front().Raw));
        }
        m_blocks.pop_front();
        ++released;
    }
    m_cached = m_cached >= released ? m_cached - released : 0;
}

void TStreamDocument::WriteBlock(TBlock& block) const
{
    // A block the engine left alone goes out as it came in: decoding and
    // encoding give back every byte, so nothing is encoded.
    if (block.Edits.empty() && !block.Rewritten) {
        m_sink(block.Raw);
        return;
    }
    if (!block.Rewritten && PatchRaw(block)) {
        m_sink(block.Raw);
        return;
    }
    m_sink(m_encoding == TTextEncoding::Utf8 ? block.Doc.ToUtf8() : block.Doc.ToCp1251());
}

bool TStreamDocument::PatchRaw(TBlock& block) const
{
    std::vector<TEdit> edits = block.Edits;
    std::stable_sort(
        edits.begin(), edits.end(), [](const TEdit& a, const TEdit& b) { return a.Offset < b.Offset; });
    // Patched in place: a block that fails half-way is encoded from its
    // document, which does not need the bytes.
    std::string& out = block.Raw;
    const std::string_view raw(block.Raw);
    const std::string& text = block.Doc.TextRef();
    const bool utf8 = m_encoding == TTextEncoding::Utf8;
    // The lines of the text and of the bytes match break for break: every
    // break is one '\n' byte (a CR before it belongs to it), and no '\n'
    // byte is ever part of another character.
    int line = 0;
    std::size_t lineByte = block.Doc.HasBom() ? 3 : 0;
    // Where the walk stands: a character of the current line and its byte.
    int character = 0;
    std::size_t at = lineByte;
    int previous = -1;
    for (const TEdit& edit : edits) {
        if (edit.Offset == previous)
            return false; // changed twice: the first change's letter is not in the bytes
        previous = edit.Offset;
        const int target = block.Doc.LineOf(edit.Offset);
        if (target != line) {
            for (; line < target; ++line) {
                const void* found = std::memchr(raw.data() + lineByte, '\n', raw.size() - lineByte);
                if (found == nullptr)
                    return false;
                lineByte = static_cast<std::size_t>(static_cast<const char*>(found) - raw.data()) + 1;
            }
            character = block.Doc.LineStart(line);
            at = lineByte;
        }
        // Characters up to the letter, decoded as the block was.
        for (; character < edit.Offset; ++character) {
            if (at >= raw.size())
                return false;
            at = utf8 ? NextCharacter(raw, at) : at + 1;
        }
        if (at >= raw.size())
            return false;
        const std::size_t from = at;
        int old = static_cast<unsigned char>(raw[at]);
        if (utf8) {
            char32_t ch = 0;
            old = NextUtf8(raw, at, ch) ? UnicodeToCp1251(ch) : -1;
        } else {
            ++at;
        }
        ++character;
        if (old != static_cast<unsigned char>(edit.Old) || old == ForeignPlaceholder)
            return false;
        const char now = text[static_cast<std::size_t>(edit.Offset)];
        if (!utf8) {
            out[from] = now;
            continue;
        }
        std::string bytes;
        AppendUtf8(bytes, Cp1251ToUnicode(static_cast<unsigned char>(now)));
        if (bytes.size() != at - from || now == static_cast<char>(ForeignPlaceholder))
            return false;
        out.replace(from, bytes.size(), bytes);
    }
    return true;
}

void TStreamDocument::Finish()
{
    StopReadAhead();
    for (TBlock& block : m_blocks)
        WriteBlock(block);
    m_blocks.clear();
    m_cached = 0;
    // What the engine never reached goes out as it came in: the blocks read
    // ahead, and the bytes after them.
    for (const TReadBlock& read : m_ready)
        m_sink(read.Raw);
    m_ready.clear();
    if (m_readError)
        std::rethrow_exception(m_readError);
    m_sink(m_pending);
    m_pending.clear();
    std::string piece;
    while (!m_eof) {
        piece.clear();
        const std::size_t n = m_input.ReadInto(piece, ReadPiece);
        m_bytesRead.fetch_add(n, std::memory_order_relaxed);
        if (m_readCounter != nullptr)
            *m_readCounter += n;
        if (n == 0)
            m_eof = true;
        else
            m_sink(piece);
    }
    m_finalLoaded = true;
}

int TStreamDocument::LineCount() const
{
    return m_nextLine + (m_finalLoaded ? 0 : 1);
}

const TStreamDocument::TBlock* TStreamDocument::HeldLine(int i) const
{
    NeedLine(i);
    const TBlock* block = BlockOfLine(i);
    if (block == nullptr && i >= 0 && !m_blocks.empty() && i < m_blocks.front().FirstLine)
        throw std::logic_error("a line already written out was asked for");
    return block;
}

void TStreamDocument::Reached(int i) const
{
    if (i > m_furthestLine) {
        m_furthestLine = i;
        Release(i);
    }
}

std::string TStreamDocument::Line(int i) const
{
    const TBlock* block = HeldLine(i);
    if (block == nullptr)
        return {};
    std::string line = block->Doc.Line(i - block->FirstLine);
    Reached(i);
    return line;
}

void TStreamDocument::LineInto(int i, std::string& out) const
{
    const TBlock* block = HeldLine(i);
    if (block == nullptr) {
        out.clear();
        return;
    }
    block->Doc.LineInto(i - block->FirstLine, out);
    Reached(i);
}

std::string TStreamDocument::LineSlice(int i, int from, int length) const
{
    const TBlock* block = HeldLine(i);
    if (block == nullptr)
        return {};
    std::string slice = block->Doc.LineSlice(i - block->FirstLine, from, length);
    Reached(i);
    return slice;
}

int TStreamDocument::LineStart(int i) const
{
    if (i == 0)
        return 0;
    const TBlock* block = HeldLine(i);
    if (block == nullptr)
        return -1;
    return static_cast<int>(block->Start + block->Doc.LineStart(i - block->FirstLine));
}

int TStreamDocument::LineOf(int offset) const
{
    const TBlock* block = BlockOfOffset(offset);
    if (block == nullptr)
        return 0;
    const int local = block->Doc.LineOf(static_cast<int>(offset - block->Start));
    return block->FirstLine + std::min(local, std::max(block->Lines - 1, 0));
}

TStreamDocument::TSourcePosition TStreamDocument::SourcePosition(int offset) const
{
    const TBlock* block = BlockOfOffset(offset);
    if (block == nullptr)
        return {};
    const int local
        = std::min(block->Doc.LineOf(static_cast<int>(offset - block->Start)), std::max(block->Lines - 1, 0));
    const std::int64_t lineStart
        = local == 0 && block->HeadStart >= 0 ? block->HeadStart : block->Start + block->Doc.LineStart(local);
    return { block->FirstLine + local - block->Cuts, static_cast<int>(offset - lineStart) };
}

std::string TStreamDocument::Text() const
{
    std::string text;
    for (const TBlock& block : m_blocks)
        text += block.Doc.TextRef();
    return text;
}

std::string TStreamDocument::Range(int start, int length) const
{
    const TBlock* block = BlockOfOffset(start);
    if (block == nullptr)
        return {};
    return block->Doc.TextRef().substr(
        static_cast<std::size_t>(start - block->Start), static_cast<std::size_t>(std::max(length, 0)));
}

int TStreamDocument::Length() const
{
    // A question shows the characters after its word: they are read first.
    const std::int64_t needed = std::int64_t(m_selStart) + m_selLength + m_contextLetters;
    while (!m_finalLoaded && m_nextStart <= needed && LoadBlock()) { }
    return static_cast<int>(m_nextStart);
}

void TStreamDocument::Select(int start, int length)
{
    m_selStart = std::max(start, 0);
    m_selLength = std::max(length, 0);
}

void TStreamDocument::ReplaceSelection(const std::string& text)
{
    if (static_cast<int>(text.size()) != m_selLength)
        throw std::logic_error("a streamed text is changed letter for letter only");
    TBlock* block = BlockOfOffset(m_selStart);
    if (block == nullptr)
        throw std::logic_error("a part already written out was to be changed");
    const int local = static_cast<int>(m_selStart - block->Start);
    const std::string& before = block->Doc.TextRef();
    if (static_cast<std::size_t>(local) + text.size() > before.size()) {
        // Past the block's end: nothing the engine does, and nothing to patch.
        m_changed = true;
        block->Rewritten = true;
    }
    for (std::size_t k = 0; k < text.size() && !block->Rewritten; ++k) {
        const char old = before[static_cast<std::size_t>(local) + k];
        if (old == text[k])
            continue;
        m_changed = true;
        if (old == '\n' || text[k] == '\n')
            block->Rewritten = true;
        else
            block->Edits.push_back({ local + static_cast<int>(k), old });
    }
    block->Doc.Select(local, m_selLength);
    block->Doc.ReplaceSelection(text);
    m_selStart += m_selLength;
    m_selLength = 0;
}

TColour TStreamDocument::SelectionColour() const
{
    const TBlock* block = BlockOfOffset(m_selStart);
    return block == nullptr ? ColourBlack
                            : block->Doc.CharColour(static_cast<int>(m_selStart - block->Start));
}

// Plain text keeps no colours: marks are dropped as the whole-text pass drops them on writing.
void TStreamDocument::SetSelectionColour(TColour) { }
void TStreamDocument::SetSelectionBackground(TColour) { }

void TStreamDocument::SetText(const std::string&)
{
    throw std::logic_error("a streamed text cannot be replaced");
}
void TStreamDocument::InsertLine(int, const std::string&)
{
    throw std::logic_error("a streamed text cannot be edited by lines");
}
void TStreamDocument::ReplaceLine(int, const std::string&)
{
    throw std::logic_error("a streamed text cannot be edited by lines");
}
void TStreamDocument::DeleteLine(int)
{
    throw std::logic_error("a streamed text cannot be edited by lines");
}

} // namespace tildo
