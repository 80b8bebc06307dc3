#pragma once

#include "platform/file_io.h"

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
    int Fd() const { return m_fd; }
    // The size of a regular file; -1 for a pipe or a terminal.
    std::int64_t Size() const;
    // The file as it was when it was opened.
    const TFileStamp& Stamp() const { return m_stamp; }

private:
    int m_fd = -1;
    bool m_owned = false;
    std::string m_name;
    TFileStamp m_stamp;
};

// Throws ECliError (exit 3) for a path that names something other than a
// regular file or a named pipe: a device such as /dev/zero never ends, and a
// directory or a socket holds no text. A pipe ends when its writer closes it;
// standard input ("-") is taken as it comes.
void RefuseEndlessInput(const std::string& path);

// Everything on fromFd copied into an anonymous temporary file (in TMPDIR,
// else /tmp) and rewound, so that it can be read twice in constant memory;
// onPiece sees each piece as it passes. Returns the new descriptor.
int SpoolToTemporary(int fromFd, const std::function<void(std::string_view)>& onPiece);

} // namespace tildo
