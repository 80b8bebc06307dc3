#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tildo {

// An input/output failure, carrying the path and the system's reason.
class EFileError : public std::runtime_error
{
public:
    EFileError(std::string path, std::string reason);
    const std::string& Path() const { return m_path; }
    const std::string& Reason() const { return m_reason; }

private:
    std::string m_path;
    std::string m_reason;
};

// The system's reason for a failure in Russian words of our own, so that a
// message reads the same whatever the locale: "нет места на диске".
std::string SystemErrorText(int error);

// A path as messages show it: as it is, or in quotes with its control
// characters written out (\n, \t, \xNN) when it has any, so that a name with
// a line break cannot break a one-line message.
std::string PathForMessage(const std::string& path);

// PathForMessage in quotes (once), for a message: "\"PATH\"".
std::string QuotedPath(const std::string& path);

// "PATH: reason" for an input/output failure, one line.
std::string FileErrorMessage(const EFileError& error);

// True when something (a file or a directory) exists at path.
bool FileExists(const std::string& path);

// Reads a file line by line in large blocks. A line ends at LF; a CR right
// before the LF, or a CR at the very end of the file, is not part of the line,
// so files with CR LF and with LF endings read alike. A final line without a
// line break is still a line. Throws EFileError when the file cannot be opened
// or read (a directory, no permission, an I/O error); lines already handed out
// stay valid for the caller.
//
// Only a regular file is read (see OpenRegularForReading).
class TLineReader
{
public:
    explicit TLineReader(const std::string& path);
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    // The next line; false at the end of the file. The view stays valid until
    // the next call.
    bool Next(std::string_view& line);

private:
    bool Fill();

    std::string m_path;
    int m_fd = -1;
    std::string m_buffer;
    std::size_t m_begin = 0; // start of unread data in m_buffer
    std::size_t m_end = 0; // end of valid data in m_buffer
    bool m_eof = false;
};

// What tells one state of a file from another: which file a path names and
// its size and modification time. A missing file has Exists false.
struct TFileStamp
{
    bool Exists = false;
    bool Regular = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedSeconds = 0;
    std::int64_t ModifiedNanoseconds = 0;
    std::uint64_t Links = 0;
    std::uint32_t Mode = 0; // permission bits
    std::uint32_t Owner = 0;
    std::uint32_t Group = 0;

    // The same file with the same content as far as the system tells.
    bool SameState(const TFileStamp& other) const;
};

// The stamp of the file a path names (symbolic links followed).
TFileStamp StampOfPath(const std::string& path);
// The stamp of an open file.
TFileStamp StampOfDescriptor(int fd);

// The largest file read whole into memory or loaded as a dictionary: far
// above any real text or dictionary, far below what would exhaust memory.
constexpr std::int64_t MaxInputFileSize = std::int64_t(256) << 20;

// What keeps a path from being read into memory. Only a regular file has an
// end known in advance: a device such as /dev/zero never ends and a pipe may
// block forever. Decided from the file's status alone, without opening it.
enum class TInputFileProblem { None, Missing, NotRegular, TooLarge };
TInputFileProblem InputFileProblem(const std::string& path);

// Opens a file for reading only if it is a regular file: opened without
// waiting (a pipe with no writer would block the open forever, and a reader
// opening it would take a writer's data), then its kind taken from the open
// file itself. A directory, a device, a pipe or a socket throws EFileError.
int OpenRegularForReading(const std::string& path);

// Reads the whole file as bytes; throws EFileError. With stamp, also gives the
// state of the file as it was read. Only a regular file of at most limit bytes
// is read (a file that grows past it while read is refused too).
std::string ReadWholeFile(
    const std::string& path, TFileStamp* stamp = nullptr, std::int64_t limit = MaxInputFileSize);

// Reads everything from a descriptor (a pipe, a terminal) up to limit bytes;
// more than that throws EFileError naming name and the limit.
std::string ReadWholeDescriptor(int fd, const std::string& name, std::int64_t limit = MaxInputFileSize);

// The reason given when an input is larger than limit bytes.
std::string TooLargeReason(std::int64_t limit);

// Holds SIGINT, SIGTERM and SIGHUP back while it lives, so that a step that
// must not be cut short (a rename, a file rewritten in place) is finished
// first: on this thread the signals are blocked, and a handler that honours
// PostponeSignal keeps them on any other thread; a signal that arrives
// meanwhile is delivered when the last such step ends.
class TSignalsDeferred
{
public:
    TSignalsDeferred();
    ~TSignalsDeferred();
    TSignalsDeferred(const TSignalsDeferred&) = delete;
    TSignalsDeferred& operator=(const TSignalsDeferred&) = delete;

private:
    sigset_t m_previous;
};

// A temporary file beside a target path, removed on destruction unless it has
// replaced the target, and removed by a signal handler that ends the process
// (RemoveTemporaryFilesNow). With holdSignals the signals are deferred while
// it exists, for a file written at once; a file written as a long pass goes
// leaves them alone and relies on the handler.
class TTemporaryFile
{
public:
    explicit TTemporaryFile(const std::string& target, bool holdSignals = true);
    ~TTemporaryFile();
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    int Fd() const { return m_fd; }
    const std::string& Path() const { return m_path; }
    // Writes all bytes; throws EFileError naming the target.
    void Write(std::string_view bytes);
    // Flushes what was written to disk; throws EFileError naming the target.
    void Sync();
    // Closes the file and renames it over the target; throws EFileError.
    void ReplaceTarget();

private:
    std::unique_ptr<TSignalsDeferred> m_deferred;
    std::string m_target;
    std::string m_path;
    int m_fd = -1;
    int m_ticket = -1;
    bool m_replaced = false;
};

// A new file with no name in directory dir (TMPDIR, else /tmp, when empty),
// gone when its descriptor is closed; throws EFileError.
int OpenAnonymousTemporary(const std::string& dir = {});

// A file the tool writes (a result, a report, a dictionary, a settings file),
// always by the same rules:
// - symbolic links are followed: the file they lead to is written;
// - an existing device or named pipe is opened and written into, never
//   replaced (a pipe nobody reads is refused rather than waited for); a
//   socket is refused;
// - a regular file is written through a temporary file in its directory and
//   renamed over the old one, keeping its permissions, owner and group, so
//   that a failure or a signal never leaves half a file; a file with other
//   hard links is instead rewritten in place (RewriteInPlace) so that every
//   name keeps it;
// - a read-only file is refused unless force;
// - a file of another user is refused, since the replacement would change its
//   owner (root keeps the owner instead).
// Refusals and failures throw EFileError naming the path. Destroyed without
// Commit, a regular file is left as it was.
class TOutputFile
{
public:
    // holdSignals: defer signals while the file exists (for a file written at
    // once); a file written as a long pass relies on the handler instead.
    TOutputFile(const std::string& path, bool force = false, bool holdSignals = true);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    int Fd() const { return m_fd; }
    // The file written (links resolved).
    const std::string& Path() const { return m_path; }
    // True when an existing device or pipe is written into.
    bool IntoExisting() const { return m_temporary == nullptr && !m_rewrite; }
    // The file being replaced (Exists false when there is none).
    const TFileStamp& Replaced() const { return m_old; }
    void Write(std::string_view bytes);
    // Puts the file in place (or closes the device); throws EFileError.
    void Commit();

private:
    std::string m_path;
    TFileStamp m_old;
    std::unique_ptr<TTemporaryFile> m_temporary;
    int m_fd = -1;
    bool m_rewrite = false;
};

// Copies everything in `from` into the file at path, which must still be the
// file `expected` in the state it had then, after taking room for all of it,
// so that a full disk leaves the file as it was; signals wait until the copy
// is whole. The one way every file with several names is rewritten (-i,
// -o, reports, dictionaries). Throws EFileError.
void RewriteInPlace(int from, const std::string& path, const TFileStamp& expected);

// Refuses to write over path, which another program replaced or changed since
// it was read: EFileError.
[[noreturn]] void ThrowChangedMeanwhile(const std::string& path);

// The file that path leads to through its symbolic links: path itself, or the
// file its links name (that file need not exist). Throws EFileError for a
// loop of links.
std::string FollowLinks(const std::string& path);

// Checks beforehand that TOutputFile could write path: its folder exists and
// can take a new file, and nothing in the rules above refuses it. Throws
// EFileError naming the path.
void CheckOutputPath(const std::string& path, bool force = false);

// True when both paths name the same file: the same file on disk (hard links,
// symbolic links and "./" spellings included), or the same file yet to be made.
bool SameFile(const std::string& a, const std::string& b);

// Writes bytes to path through TOutputFile; throws EFileError.
void WriteFileAtomic(const std::string& path, std::string_view bytes, bool force = false);

// Writes bytes over a file in place, without a temporary file or a flush to
// disk: for scratch files that nobody keeps. Throws EFileError.
void WriteScratchFile(const std::string& path, std::string_view bytes);

// Appends bytes to a file, creating it; throws EFileError.
void AppendToFile(const std::string& path, std::string_view bytes);

} // namespace tildo
