#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tildo {

// A file (or standard input) read in pieces; throws EFileError naming the path.
class TByteInput
{
public:
    // "-" reads standard input, which stays open afterwards.
    explicit TByteInput(const std::string& path);
    // Takes over an open descriptor; name is used in messages.
    TByteInput(int fd, std::string name);
    ~TByteInput();
    TByteInput(const TByteInput&) = delete;
    TByteInput& operator=(const TByteInput&) = delete;

    // Appends up to max bytes to out; 0 at the end of the input.
    std::size_t ReadInto(std::string& out, std::size_t max);
    // Back to the first byte (files only).
    void Rewind();
    const std::string& Name() const { return m_name; }
    // The size of a regular file; -1 for a pipe or a terminal.
    std::int64_t Size() const;

private:
    int m_fd = -1;
    bool m_owned = false;
    std::string m_name;
};

// Where a streamed result goes: standard output, or a file written under a
// temporary name in its directory and renamed over the target by Commit, so
// that a failure leaves the old file (or none) in place. A result that is
// neither committed nor discarded is discarded by the destructor.
class TByteOutput
{
public:
    // "" or "-" for standard output.
    explicit TByteOutput(const std::string& path);
    ~TByteOutput();
    TByteOutput(const TByteOutput&) = delete;
    TByteOutput& operator=(const TByteOutput&) = delete;

    void Write(std::string_view bytes);
    // Flushes the buffer; for a file, makes it durable and renames it over the
    // target, with the permissions of the file it replaces. Throws EFileError.
    void Commit();
    // Drops a file result: the target stays as it was.
    void Discard();
    std::uint64_t Written() const { return m_written; }

private:
    void Flush();

    std::string m_path; // the target; empty for standard output
    std::string m_temp;
    int m_fd = -1;
    std::string m_buffer;
    std::uint64_t m_written = 0;
};

// Everything on fromFd copied into an anonymous temporary file (in TMPDIR,
// else /tmp) and rewound, so that it can be read twice in constant memory;
// onPiece sees each piece as it passes. Returns the new descriptor.
int SpoolToTemporary(int fromFd, const std::function<void(std::string_view)>& onPiece);

// Copies the file at from to a new file at to (replaced through a temporary
// name), keeping its permissions; for a backup where a second name cannot be
// made. Throws EFileError.
void CopyFileAtomic(const std::string& from, const std::string& to);

} // namespace tildo
