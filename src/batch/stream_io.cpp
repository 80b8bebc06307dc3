#include "stream_io.h"

#include "batch/messages.h"
#include "platform/file_io.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tildo {

namespace {

[[noreturn]] void Fail(const std::string& name)
{
    throw EFileError(name, SystemErrorText(errno));
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
        throw EFileError(path, SystemErrorText(EISDIR));
    }
    m_stamp = StampOfDescriptor(m_fd);
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
            throw EFileError(m_name, SystemErrorText(error));
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

void RefuseEndlessInput(const std::string& path)
{
    if (path == "-" || InputFileProblem(path) != TInputFileProblem::NotRegular)
        return;
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode))
        return;
    throw ECliError(ExitInputOutput,
        QuotedPath(path)
            + " не обычный файл (устройство, сокет или каталог) и не читается как текст; ничего не "
              "сделано");
}

int SpoolToTemporary(int fromFd, const std::function<void(std::string_view)>& onPiece)
{
    const int fd = OpenAnonymousTemporary();
    const std::string dir = "временная копия стандартного ввода";
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

} // namespace tildo
