#pragma once

#include <cstddef>
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

// True when something (a file or a directory) exists at path.
bool FileExists(const std::string& path);

// Reads a file line by line in large blocks. A line ends at LF; a CR right
// before the LF, or a CR at the very end of the file, is not part of the line,
// so files with CR LF and with LF endings read alike. A final line without a
// line break is still a line. Throws EFileError when the file cannot be opened
// or read (a directory, no permission, an I/O error); lines already handed out
// stay valid for the caller.
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

// Reads the whole file as bytes; throws EFileError.
std::string ReadWholeFile(const std::string& path);

// Writes bytes through a temporary file in the same directory and renames it
// over path, so that a failure never leaves a half-written file; throws
// EFileError and removes the temporary file on failure.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// Appends bytes to a file, creating it; throws EFileError.
void AppendToFile(const std::string& path, std::string_view bytes);

} // namespace tildo
