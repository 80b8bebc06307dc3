#pragma once

#include "formats/plain_text_format.h"
#include "text/memory_document.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tildo {

class TByteInput;

// A plain text read and written as the engine goes, for passes that ask no
// one: the document holds a window of lines, reading more when the engine asks
// for a line past it and writing out (through `sink`) the lines that the word
// window can no longer reach. Positions and lines agree with a MemoryDocument
// of the whole text, and the bytes written are those that document would
// write. The input is decoded in blocks of whole lines, each a MemoryDocument
// of its own; a block ends after a line break, so no character or CR LF is
// ever cut. A line longer than a few blocks is the exception: it is cut after
// a blank and its pieces are lines to the engine (SourcePosition gives the
// line and column in the text itself).
class TStreamDocument : public TextDocument
{
public:
    using TSink = std::function<void(std::string_view)>;

    // windowWords: the words the engine's window holds at most; contextLetters:
    // the characters a question shows before its word.
    TStreamDocument(TByteInput& input, TTextEncoding encoding, TSink sink, int windowWords,
        int contextLetters, std::size_t blockBytes = 1 << 20);
    ~TStreamDocument() override;
    TStreamDocument(const TStreamDocument&) = delete;
    TStreamDocument& operator=(const TStreamDocument&) = delete;

    // Blocks are read and decoded on a thread of their own, a few blocks
    // ahead of the engine, so that a pass over one large text keeps a second
    // core busy with the input. Set before the first line is asked for.
    void SetReadAhead(bool on) { m_readAhead = on; }

    // Writes out what is still held, then the input not yet read, as it is.
    void Finish();
    // True once a replacement changed a character.
    bool Changed() const { return m_changed; }
    // The input bytes consumed so far (for progress).
    std::uint64_t BytesRead() const { return m_bytesRead.load(std::memory_order_relaxed); }
    // Adds the bytes read from now on to counter (progress of a run).
    void CountReadsInto(std::atomic<std::uint64_t>* counter) { m_readCounter = counter; }
    // Blocks held now: the memory the window takes.
    std::size_t BlocksHeld() const { return m_blocks.size(); }
    // Blocks read ahead and not yet taken by the engine.
    std::size_t BlocksReadAhead() const
    {
        const std::lock_guard lock(m_mutex);
        return m_ready.size();
    }

    // The line (from 0) and column (from 0) of offset in the text as it is
    // written, where a cut long line is still one line.
    struct TSourcePosition
    {
        int Line = 0;
        int Column = 0;
    };
    TSourcePosition SourcePosition(int offset) const;

    int LineCount() const override;
    std::string Line(int i) const override;
    void LineInto(int i, std::string& out) const override;
    // A question's context in a huge line costs only its neighbourhood.
    std::string LineSlice(int i, int from, int length) const override;
    int LineStart(int i) const override;
    int LineOf(int offset) const override;
    // The characters at [start, start + length) of one held block.
    std::string Range(int start, int length) const;
    // The whole text is never in memory: the held part.
    std::string Text() const override;
    int Length() const override;
    void Select(int start, int length) override;
    int SelStart() const override { return m_selStart; }
    int SelLength() const override { return m_selLength; }
    void ReplaceSelection(const std::string& text) override;
    TColour SelectionColour() const override;
    void SetSelectionColour(TColour colour) override;
    void SetSelectionBackground(TColour colour) override;
    void ScrollToCaret() override { }
    void SetReadOnly(bool) override { }
    bool IsReadOnly() const override { return false; }
    void SetBusyCursor(bool) override { }
    void Focus() override { }
    // Editing by lines is for the dictionary editor's panes; a stream refuses it.
    void SetText(const std::string& text) override;
    void InsertLine(int i, const std::string& text) override;
    void ReplaceLine(int i, const std::string& text) override;
    void DeleteLine(int i) override;

private:
    // A letter the engine changed: its offset in the block and the letter it replaced.
    struct TEdit
    {
        int Offset = 0;
        char Old = 0;
    };
    struct TBlock
    {
        MemoryDocument Doc;
        // The bytes the block was decoded from. The engine changes letters
        // one for one, so the block is written as these bytes with the changed
        // letters patched in, rather than encoded anew.
        std::string Raw;
        std::vector<TEdit> Edits;
        bool Rewritten = false; // a change the patching cannot express: the block is encoded anew
        std::int64_t Start = 0; // offset of its first character
        std::int64_t FirstWord = -1; // offset of its first word; -1 none
        int FirstLine = 0;
        int Lines = 0;
        int Words = 0;
        int Cuts = 0; // long lines cut before the block: engine lines that are not lines of the text
        std::int64_t HeadStart = -1; // the block goes on with a cut line that began here; -1 not
        std::int64_t End() const { return Start + Doc.Length(); }
    };

    // A block as read and decoded, before its place in the text is known.
    struct TReadBlock
    {
        MemoryDocument Doc;
        std::string Raw;
        bool Cut = false; // ends inside a line too long to hold
        bool Final = false; // the last block of the input
        int Words = 0;
        std::size_t FirstWord = 0;
    };

    // Takes the next block (read here, or from the read-ahead thread) into the
    // window; false at the end of the input.
    bool LoadBlock() const;
    // Reads and decodes the next block: the part that needs nothing of the
    // blocks before it but the bytes left over, and so may run on a thread of
    // its own. False once the final block has been read.
    bool ReadBlock(TReadBlock& block) const;
    // Puts a block read by ReadBlock after the ones held.
    void AddBlock(TReadBlock&& read) const;
    void ReadAheadLoop() const;
    void StopReadAhead() const;
    std::string TakeSpareRaw() const;
    // Loads blocks until line i is held or the input ends.
    void NeedLine(int i) const;
    // The held block with line i, or the one with offset; nullptr if none.
    const TBlock* BlockOfLine(int i) const;
    TBlock* BlockOfOffset(std::int64_t offset) const;
    // NeedLine, then BlockOfLine; a line already written out is a logic error.
    const TBlock* HeldLine(int i) const;
    // The engine has read line i: blocks before its reach can go.
    void Reached(int i) const;
    // Writes out the blocks in front that the engine can no longer reach.
    void Release(int currentLine) const;
    // Writes the block out; its bytes are patched on the way.
    void WriteBlock(TBlock& block) const;
    // Applies the edits to Raw; false when an edit cannot be patched in byte
    // for byte (the block is then encoded from its document).
    bool PatchRaw(TBlock& block) const;

    TByteInput& m_input;
    TTextEncoding m_encoding;
    TSink m_sink;
    int m_windowWords;
    int m_contextLetters;
    std::size_t m_blockBytes;

    // The window moves as the engine reads, which the document's read-only
    // interface does not show: it is the document's own bookkeeping.
    mutable std::deque<TBlock> m_blocks;
    // The reading side (the read-ahead thread's while it runs).
    mutable std::string m_pending; // bytes read past the last line break
    mutable bool m_eof = false;
    mutable bool m_finalRead = false;
    mutable bool m_firstRead = true;
    // The engine's side.
    mutable bool m_finalLoaded = false;
    mutable std::int64_t m_nextStart = 0;
    mutable int m_nextLine = 0;
    mutable int m_cuts = 0;
    mutable std::int64_t m_headStart = -1; // the start of the cut line the next block goes on with
    mutable std::atomic<std::uint64_t> m_bytesRead { 0 };
    std::atomic<std::uint64_t>* m_readCounter = nullptr;

    // Shared by both sides, under m_mutex.
    bool m_readAhead = false;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changedState;
    mutable std::deque<TReadBlock> m_ready; // read ahead, not yet taken
    mutable std::vector<std::string> m_spareRaws; // storage of blocks written out, for the next reads
    mutable bool m_stopReading = false;
    mutable bool m_readingDone = false;
    mutable std::exception_ptr m_readError;
    mutable std::thread m_reader;
    mutable std::size_t m_cached = 0; // the block the last line request found
    mutable int m_furthestLine = -1; // the furthest line the engine has read

    int m_selStart = 0;
    int m_selLength = 0;
    bool m_changed = false;
};

} // namespace tildo
