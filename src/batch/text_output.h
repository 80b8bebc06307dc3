#pragma once

#include "platform/file_io.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tildo {

struct TInputText;

// Where the result of a command goes.
struct TOutputTarget
{
    std::string OutputPath; // -o; empty (or "-") for standard output
    bool InPlace = false; // -i: over the input file itself
    std::string BackupSuffix; // --backup: the original is kept as FILE + suffix
    bool Force = false; // -i replaces a read-only file too
};

// The result of a command on one input, written as it comes (Write) and put in
// place at the end (Commit). Destroyed without Commit, it leaves a file target
// as it was (a device, a pipe or standard output keeps what it was given).
//
// To a path (-o): by the rules every file the tool writes follows (see
// TOutputFile): links followed, devices and pipes written into, a regular file
// replaced whole, read-only files only with target.Force, another user's file
// never.
//
// In place (-i): the file behind the input path is replaced the same way, but
// only while it is still the file that was read (the stamp taken when it was
// opened): if another program replaced or changed it meanwhile, nothing is
// written and ECliError (exit 3) says so. A read-only file is refused unless
// target.Force, another user's file always (a new file would change its
// owner). A file with other hard links is rewritten in place, so that every
// name sees the new text, once room for all of it has been taken. The backup keeps the original file itself
// (its permissions included). An unchanged text is not rewritten unless a
// backup is asked for.
//
// Throws EFileError for input/output failures and ECliError for refusals.
class TResultWriter
{
public:
    // inputPath: "-" for standard input; read: the input file as it was opened.
    TResultWriter(const TOutputTarget& target, const std::string& inputPath, const TFileStamp& read);
    ~TResultWriter();
    TResultWriter(const TResultWriter&) = delete;
    TResultWriter& operator=(const TResultWriter&) = delete;

    void Write(std::string_view bytes);
    // changed: whether the result differs from the input.
    void Commit(bool changed);

private:
    enum class TKind { StandardOutput, IntoExisting, Replace, Rewrite };

    void Flush();
    void WriteOut(std::string_view bytes);
    void CommitInPlace(bool changed);
    void ReplaceWithTemporary();
    void RewriteFromSpool();

    TOutputTarget m_target;
    TKind m_kind = TKind::StandardOutput;
    std::string m_path; // the file written (links resolved); "stdout" for standard output
    std::string m_inputPath;
    TFileStamp m_old; // -i: the input as read; -o: the file replaced, if any
    std::unique_ptr<TTemporaryFile> m_temporary; // -i
    std::unique_ptr<TOutputFile> m_output; // -o
    int m_fd = -1;
    bool m_ownFd = false;
    std::string m_buffer;
    std::uint64_t m_written = 0; // bytes written to m_fd
    std::uint64_t m_started = 0; // bytes whose writeback has been started
};

// The result of a command on input, encoded as it is written (see
// TResultWriter). textChanged: whether the pass changed the text; a file
// rewritten in place is left alone when it did not and no backup is asked.
void WriteResult(const TInputText& input, const TOutputTarget& target, bool textChanged);

// The file that writing over path replaces: path itself, or the file its
// symbolic links lead to (that file need not exist). Throws EFileError for a
// loop of links.
std::string InPlaceTarget(const std::string& path);

} // namespace tildo
