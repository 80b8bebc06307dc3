#include "stream_io.h"

#include "platform/file_io.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tildo {

namespace {

constexpr std::size_t OutputBuffer = 1 << 20;

[[noreturn]] void Fail(const std::string& name)
{
    throw EFileError(name, std::strerror(errno));
}

void WriteAll(int fd, std::string_view bytes, const std::string& name)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(name);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// A new file beside path under a unique name; its name goes to temp.
int CreateBeside(const std::string& path, std::string& temp)
{
    temp = path + ".tildo-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        temp.clear();
        throw EFileError(path, std::strerror(error));
    }
    return fd;
}

} // namespace

TByteInput::TByteInput(const std::string& path)
    : m_name(path == "-" ? std::string("stdin") : path)
{
    if (path == "-") {
        m_fd = STDIN_FILENO;
        return;
    }
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        Fail(path);
    m_owned = true;
    struct stat st
    {
    };
    if (::fstat(m_fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throw EFileError(path, std::strerror(EISDIR));
    }
}

TByteInput::TByteInput(int fd, std::string name)
    : m_fd(fd)
    , m_owned(true)
    , m_name(std::move(name))
{
}

TByteInput::~TByteInput()
{
    if (m_owned && m_fd >= 0)
        ::close(m_fd);
}

std::size_t TByteInput::ReadInto(std::string& out, std::size_t max)
{
    const std::size_t old = out.size();
    out.resize(old + max);
    for (;;) {
        const ssize_t n = ::read(m_fd, out.data() + old, max);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            out.resize(old);
            throw EFileError(m_name, std::strerror(error));
        }
        out.resize(old + static_cast<std::size_t>(n));
        return static_cast<std::size_t>(n);
    }
}

void TByteInput::Rewind()
{
    if (::lseek(m_fd, 0, SEEK_SET) < 0)
        Fail(m_name);
}

std::int64_t TByteInput::Size() const
{
    struct stat st
    {
    };
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

TByteOutput::TByteOutput(const std::string& path)
{
    if (path.empty() || path == "-") {
        m_fd = STDOUT_FILENO;
        return;
    }
    m_path = path;
    m_fd = CreateBeside(path, m_temp);
}

TByteOutput::~TByteOutput()
{
    Discard();
}

void TByteOutput::Flush()
{
    WriteAll(m_fd, m_buffer, m_path.empty() ? std::string("stdout") : m_path);
    m_buffer.clear();
}

void TByteOutput::Write(std::string_view bytes)
{
    m_written += bytes.size();
    if (m_buffer.size() + bytes.size() > OutputBuffer) {
        Flush();
        if (bytes.size() >= OutputBuffer) {
            WriteAll(m_fd, bytes, m_path.empty() ? std::string("stdout") : m_path);
            return;
        }
    }
    m_buffer.append(bytes);
}

void TByteOutput::Commit()
{
    Flush();
    if (m_path.empty())
        return;
    struct stat st
    {
    };
    // The replaced file's permissions; a new file gets the usual ones.
    mode_t mode = 0666;
    if (::stat(m_path.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(m_fd, mode) != 0 || ::fsync(m_fd) != 0)
        Fail(m_path);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        Fail(m_path);
    if (::rename(m_temp.c_str(), m_path.c_str()) != 0)
        Fail(m_path);
    m_temp.clear();
}

void TByteOutput::Discard()
{
    m_buffer.clear();
    if (m_path.empty())
        return;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
}

int SpoolToTemporary(int fromFd, const std::function<void(std::string_view)>& onPiece)
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::string name = dir + "/tildo-XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            Fail(dir);
        ::unlink(name.c_str());
    }
    std::string piece;
    try {
        for (;;) {
            piece.clear();
            piece.resize(1 << 20);
            const ssize_t n = ::read(fromFd, piece.data(), piece.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                Fail("stdin");
            if (n == 0)
                break;
            piece.resize(static_cast<std::size_t>(n));
            onPiece(piece);
            WriteAll(fd, piece, dir);
        }
        if (::lseek(fd, 0, SEEK_SET) < 0)
            Fail(dir);
    } catch (...) {
        ::close(fd);
        throw;
    }
    return fd;
}

void CopyFileAtomic(const std::string& from, const std::string& to)
{
    TByteInput in(from);
    TByteOutput out(to);
    std::string piece;
    while (true) {
        piece.clear();
        if (in.ReadInto(piece, 1 << 20) == 0)
            break;
        out.Write(piece);
    }
    out.Commit();
    struct stat st
    {
    };
    if (::stat(from.c_str(), &st) == 0)
        ::chmod(to.c_str(), st.st_mode & 07777);
}

} // namespace tildo
