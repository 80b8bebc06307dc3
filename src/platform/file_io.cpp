#include "file_io.h"

#include "platform/signal_cleanup.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tildo {

namespace {

std::string SystemReason(int error)
{
    return std::strerror(error);
}

constexpr std::size_t BlockSize = 1 << 16;

void WriteAll(int fd, std::string_view bytes, const std::string& path)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError(path, SystemReason(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace

EFileError::EFileError(std::string path, std::string reason)
    : std::runtime_error(path + ": " + reason)
    , m_path(std::move(path))
    , m_reason(std::move(reason))
{
}

bool FileExists(const std::string& path)
{
    struct stat st
    {
    };
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

TLineReader::TLineReader(const std::string& path)
    : m_path(path)
{
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throw EFileError(path, SystemReason(errno));
    m_buffer.resize(BlockSize);
}

TLineReader::~TLineReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TLineReader::Fill()
{
    if (m_eof)
        return false;
    // Move the unread tail to the front and make room for one more block.
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_buffer.size() - m_end < BlockSize)
        m_buffer.resize(m_end + BlockSize);
    for (;;) {
        const ssize_t n = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError(m_path, SystemReason(errno));
        }
        if (n == 0) {
            m_eof = true;
            return false;
        }
        m_end += static_cast<std::size_t>(n);
        return true;
    }
}

bool TLineReader::Next(std::string_view& line)
{
    std::size_t searchFrom = m_begin;
    for (;;) {
        const void* lf = std::memchr(m_buffer.data() + searchFrom, '\n', m_end - searchFrom);
        if (lf != nullptr) {
            const std::size_t at = static_cast<const char*>(lf) - m_buffer.data();
            std::size_t len = at - m_begin;
            if (len > 0 && m_buffer[at - 1] == '\r')
                --len;
            line = std::string_view(m_buffer.data() + m_begin, len);
            m_begin = at + 1;
            return true;
        }
        const std::size_t scanned = m_end - m_begin;
        if (!Fill()) {
            if (m_begin == m_end)
                return false;
            std::size_t len = m_end - m_begin;
            if (m_buffer[m_end - 1] == '\r')
                --len;
            line = std::string_view(m_buffer.data() + m_begin, len);
            m_begin = m_end;
            return true;
        }
        searchFrom = m_begin + scanned; // Fill moved the data to the front
    }
}

namespace {

TFileStamp StampOf(const struct stat& st)
{
    TFileStamp stamp;
    stamp.Exists = true;
    stamp.Regular = S_ISREG(st.st_mode);
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = st.st_size;
    stamp.ModifiedSeconds = st.st_mtim.tv_sec;
    stamp.ModifiedNanoseconds = st.st_mtim.tv_nsec;
    stamp.Links = st.st_nlink;
    stamp.Mode = st.st_mode & 07777;
    stamp.Owner = st.st_uid;
    stamp.Group = st.st_gid;
    return stamp;
}

} // namespace

bool TFileStamp::SameState(const TFileStamp& other) const
{
    return Exists == other.Exists && Device == other.Device && Inode == other.Inode && Size == other.Size
        && ModifiedSeconds == other.ModifiedSeconds && ModifiedNanoseconds == other.ModifiedNanoseconds;
}

TFileStamp StampOfDescriptor(int fd)
{
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return {};
    return StampOf(st);
}

TFileStamp StampOfPath(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return StampOf(st);
}

TInputFileProblem InputFileProblem(const std::string& path)
{
    const TFileStamp stamp = StampOfPath(path);
    if (!stamp.Exists)
        return TInputFileProblem::Missing;
    if (!stamp.Regular)
        return TInputFileProblem::NotRegular;
    if (stamp.Size > MaxInputFileSize)
        return TInputFileProblem::TooLarge;
    return TInputFileProblem::None;
}

std::string ReadWholeFile(const std::string& path, TFileStamp* stamp)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFileError(path, SystemReason(errno));
    std::string bytes;
    char block[BlockSize];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            throw EFileError(path, SystemReason(error));
        }
        if (n == 0)
            break;
        bytes.append(block, static_cast<std::size_t>(n));
    }
    struct stat st
    {
    };
    if (stamp != nullptr && ::fstat(fd, &st) == 0)
        *stamp = StampOf(st);
    ::close(fd);
    return bytes;
}

TSignalsDeferred::TSignalsDeferred()
{
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigaddset(&held, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &held, &m_previous);
    EnterUninterruptible();
}

TSignalsDeferred::~TSignalsDeferred()
{
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    LeaveUninterruptible();
}

TTemporaryFile::TTemporaryFile(const std::string& target, bool holdSignals)
    : m_deferred(holdSignals ? std::make_unique<TSignalsDeferred>() : nullptr)
    , m_target(target)
{
    namespace fs = std::filesystem;
    const fs::path path(target);
    fs::path dir = path.parent_path();
    if (dir.empty())
        dir = ".";
    // Built by appending: GCC 12 at -O3 misreads "." + std::string&& as an overlapping copy.
    std::string hidden = ".";
    hidden += path.filename().string();
    hidden += ".XXXXXX";
    m_path = (dir / hidden).string();
    // No signal between the file's creation and its registration for removal.
    const TSignalsDeferred creating;
    m_fd = ::mkostemp(m_path.data(), O_CLOEXEC);
    if (m_fd < 0)
        throw EFileError(target, SystemReason(errno));
    m_ticket = RememberTemporaryFile(m_path);
}

TTemporaryFile::~TTemporaryFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_replaced)
        ::unlink(m_path.c_str());
    ForgetTemporaryFile(m_ticket);
}

void TTemporaryFile::Write(std::string_view bytes)
{
    WriteAll(m_fd, bytes, m_target);
}

void TTemporaryFile::Sync()
{
    if (::fsync(m_fd) != 0)
        throw EFileError(m_target, SystemReason(errno));
}

void TTemporaryFile::ReplaceTarget()
{
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throw EFileError(m_target, SystemReason(errno));
    if (::rename(m_path.c_str(), m_target.c_str()) != 0)
        throw EFileError(m_target, SystemReason(errno));
    m_replaced = true;
}

int OpenAnonymousTemporary(const std::string& dir)
{
    std::string where = dir;
    if (where.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        where = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    }
    int fd = ::open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    // A file system without unnamed files: a name removed at once.
    std::string name = where + "/.tildo-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        throw EFileError(where, SystemReason(errno));
    ::unlink(name.c_str());
    return fd;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes)
{
    TTemporaryFile file(path);
    file.Write(bytes);
    file.Sync();
    // Keep the permissions of the file we replace; a new file gets the usual 0644.
    struct stat st
    {
    };
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    ::fchmod(file.Fd(), mode);
    file.ReplaceTarget();
}

namespace {

// Opens path with the given flags, writes bytes and closes it, reporting every
// failure, the close included (a full disk may show only there).
void WriteOpened(const std::string& path, std::string_view bytes, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw EFileError(path, SystemReason(errno));
    try {
        WriteAll(fd, bytes, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        throw EFileError(path, SystemReason(errno));
}

} // namespace

void AppendToFile(const std::string& path, std::string_view bytes)
{
    WriteOpened(path, bytes, O_APPEND);
}

void WriteScratchFile(const std::string& path, std::string_view bytes)
{
    WriteOpened(path, bytes, O_TRUNC);
}

} // namespace tildo
