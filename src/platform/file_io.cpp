#include "file_io.h"

#include "platform/signal_cleanup.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
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
    return SystemErrorText(error);
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

std::string SystemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return "нет места на диске";
    case EDQUOT:
        return "превышена дисковая квота";
    case EISDIR:
        return "это каталог";
    case ENOTDIR:
        return "часть пути не является каталогом";
    case EACCES:
    case EPERM:
        return "нет прав доступа";
    case ENOENT:
        return "нет такого файла или каталога";
    case EEXIST:
        return "файл уже существует";
    case EROFS:
        return "файловая система только для чтения";
    case ENAMETOOLONG:
        return "слишком длинное имя файла";
    case ELOOP:
        return "слишком много символических ссылок (петля?)";
    case EFBIG:
        return "файл больше допустимого размера";
    case EIO:
        return "ошибка ввода-вывода";
    case ENOMEM:
        return "недостаточно памяти";
    case EMFILE:
    case ENFILE:
        return "открыто слишком много файлов";
    case ENXIO:
        return "устройство или канал без второй стороны";
    case EPIPE:
        return "канал закрыт читающей стороной";
    case ETXTBSY:
        return "файл занят";
    case EBUSY:
        return "устройство или ресурс занят";
    case EXDEV:
        return "файлы на разных файловых системах";
    case EINVAL:
        return "недопустимый аргумент";
    case EAGAIN:
        return "ресурс временно недоступен";
    case ESTALE:
        return "устаревший дескриптор сетевого файла";
    case EOPNOTSUPP:
        return "операция не поддерживается";
    default:
        return "системная ошибка " + std::to_string(error);
    }
}

std::string PathForMessage(const std::string& path)
{
    bool control = false;
    for (const char c : path)
        control = control || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    if (!control)
        return path;
    static const char Hex[] = "0123456789abcdef";
    std::string quoted = "\"";
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n')
            quoted += "\\n";
        else if (c == '\t')
            quoted += "\\t";
        else if (c == '\r')
            quoted += "\\r";
        else if (u < 0x20 || u == 0x7f) {
            quoted += "\\x";
            quoted += Hex[u >> 4];
            quoted += Hex[u & 15];
        } else if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else
            quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string QuotedPath(const std::string& path)
{
    const std::string shown = PathForMessage(path);
    if (shown.size() >= 2 && shown.front() == '"' && shown.back() == '"')
        return shown;
    // Built by appending: GCC 12 at -O3 misreads "\"" + std::string&& as an overlapping copy.
    std::string quoted = "\"";
    quoted += shown;
    quoted += '"';
    return quoted;
}

std::string FileErrorMessage(const EFileError& error)
{
    return PathForMessage(error.Path()) + ": " + error.Reason();
}

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
    m_fd = OpenRegularForReading(path);
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

std::string TooLargeReason(std::int64_t limit)
{
    return "больше предела в " + std::to_string(limit >> 20) + " МБ, не читается целиком";
}

int OpenRegularForReading(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw EFileError(path, SystemReason(errno));
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        throw EFileError(path, SystemReason(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw EFileError(path,
            S_ISDIR(st.st_mode) ? std::string("это каталог")
                                : std::string("не обычный файл (устройство, канал или сокет)"));
    }
    // Reads from a regular file wait for the disk as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

namespace {

// Reads fd to its end, at most limit bytes; more throws EFileError for name.
// A file of known size is read straight into a string of that size and one
// more byte (so that a file that grew shows it), neither copied nor grown step
// by step. Anything else (a pipe, a device, a file that grew) is appended a
// block at a time: growing the string by resizing would write every byte of
// its new room, and a read that ends near the limit would hold twice the limit.
std::string ReadBounded(int fd, const std::string& name, std::int64_t limit, std::size_t expected = 0)
{
    std::string bytes(expected > 0 ? expected + 1 : 0, '\0');
    std::size_t used = 0;
    char block[BlockSize];
    for (;;) {
        const bool direct = used < bytes.size();
        char* into = direct ? bytes.data() + used : block;
        const std::size_t room = direct ? bytes.size() - used : sizeof block;
        const ssize_t n = ::read(fd, into, room);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError(name, SystemReason(errno));
        }
        if (n == 0)
            break;
        if (static_cast<std::int64_t>(used) + n > limit)
            throw EFileError(name, TooLargeReason(limit));
        if (!direct)
            bytes.append(block, static_cast<std::size_t>(n));
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    return bytes;
}

} // namespace

std::string ReadWholeDescriptor(int fd, const std::string& name, std::int64_t limit)
{
    return ReadBounded(fd, name, limit);
}

std::string ReadWholeFile(const std::string& path, TFileStamp* stamp, std::int64_t limit)
{
    const int fd = OpenRegularForReading(path);
    std::string bytes;
    try {
        struct stat st
        {
        };
        if (::fstat(fd, &st) == 0 && st.st_size > limit)
            throw EFileError(path, TooLargeReason(limit));
        const bool sized = S_ISREG(st.st_mode) && st.st_size > 0;
        bytes = ReadBounded(fd, path, limit, sized ? static_cast<std::size_t>(st.st_size) : 0);
    } catch (...) {
        ::close(fd);
        throw;
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
    // The scratch name must fit where the target's name fits: a long name is
    // cut (at a UTF-8 character's start) to leave room for the dot and suffix.
    constexpr std::size_t Suffix = 7; // ".XXXXXX"
    if (hidden.size() + Suffix > NAME_MAX) {
        std::size_t cut = NAME_MAX - Suffix;
        while (cut > 1 && (static_cast<unsigned char>(hidden[cut]) & 0xC0) == 0x80)
            --cut;
        hidden.resize(cut);
    }
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

namespace {

// The permissions a new file gets: the usual ones less the process's umask,
// read without changing it (umask(2) would change it for every thread).
mode_t NewFileMode()
{
    static const mode_t mask = [] {
        if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            unsigned value = 0;
            bool found = false;
            while (!found && std::fgets(line, sizeof line, status) != nullptr)
                found = std::sscanf(line, "Umask: %o", &value) == 1;
            std::fclose(status);
            if (found)
                return static_cast<mode_t>(value);
        }
        return static_cast<mode_t>(022);
    }();
    return 0666 & ~mask;
}

} // namespace

std::string FollowLinks(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path current(path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st
        {
        };
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current.string();
        char link[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), link, sizeof link - 1);
        if (n < 0)
            throw EFileError(path, SystemReason(errno));
        const fs::path next(std::string(link, static_cast<std::size_t>(n)));
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    throw EFileError(path, SystemReason(ELOOP));
}

namespace {

// What writing path means: the file written and its state now. Throws
// EFileError for what the output rules refuse.
struct TOutputPlan
{
    std::string Path;
    TFileStamp Old;
};

TOutputPlan PlanOutput(const std::string& path, bool force)
{
    TOutputPlan plan;
    // Asked of the path itself first, so that links the system resolves on
    // its own (/dev/stdout to a pipe) lead where they lead.
    const TFileStamp direct = StampOfPath(path);
    plan.Path = direct.Exists && !direct.Regular ? path : FollowLinks(path);
    plan.Old = direct.Exists ? direct : StampOfPath(plan.Path);
    const TFileStamp& old = plan.Old;
    if (!old.Exists)
        return plan;
    struct stat st
    {
    };
    if (::stat(plan.Path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw EFileError(path, SystemReason(EISDIR));
        if (S_ISSOCK(st.st_mode))
            throw EFileError(path, "это сокет; в него файл не пишется");
    }
    if (!old.Regular)
        return plan;
    if (!force && ((old.Mode & 0222) == 0 || ::access(plan.Path.c_str(), W_OK) != 0))
        throw EFileError(path, "файл доступен только для чтения; ничего не записано");
    if (old.Links <= 1 && old.Owner != ::geteuid() && ::geteuid() != 0)
        throw EFileError(path,
            "файл принадлежит другому пользователю, а новый принадлежал бы запустившему; ничего не записано");
    return plan;
}

} // namespace

TOutputFile::TOutputFile(const std::string& path, bool force, bool holdSignals)
{
    TOutputPlan plan = PlanOutput(path, force);
    m_path = std::move(plan.Path);
    m_old = plan.Old;
    if (m_old.Exists && !m_old.Regular) {
        // A device or a pipe keeps being what it is. A pipe nobody reads
        // would block the open forever: opened without waiting, it says so.
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (m_fd < 0)
            throw EFileError(
                m_path, errno == ENXIO ? std::string("канал, который никто не читает") : SystemReason(errno));
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
        return;
    }
    if (m_old.Exists && m_old.Links > 1) {
        // Replacing would part the file from its other names: the result is
        // gathered aside and copied into the file itself at the end.
        m_rewrite = true;
        std::string dir = std::filesystem::path(m_path).parent_path().string();
        m_fd = OpenAnonymousTemporary(dir.empty() ? "." : dir);
        return;
    }
    m_temporary = std::make_unique<TTemporaryFile>(m_path, holdSignals);
    m_fd = m_temporary->Fd();
}

TOutputFile::~TOutputFile()
{
    if (m_temporary == nullptr && m_fd >= 0)
        ::close(m_fd);
}

void ThrowChangedMeanwhile(const std::string& path)
{
    throw EFileError(path,
        "файл изменился, пока шла обработка (его заменила или изменила другая программа); ничего не "
        "записано");
}

void RewriteInPlace(int from, const std::string& path, const TFileStamp& expected)
{
    const TSignalsDeferred deferred;
    const off_t size = ::lseek(from, 0, SEEK_END);
    if (size < 0 || ::lseek(from, 0, SEEK_SET) < 0)
        throw EFileError(path, SystemReason(errno));
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw EFileError(path, SystemReason(errno));
    try {
        if (!StampOfDescriptor(fd).SameState(expected))
            ThrowChangedMeanwhile(path);
        // The room for the whole result first: a disk that fills up halfway
        // through would leave half a file under every name.
        if (size > 0) {
            const int error = ::posix_fallocate(fd, 0, size);
            if (error != 0)
                throw EFileError(path,
                    "места для нового содержимого не найти (" + SystemReason(error)
                        + "); у файла несколько имён, он переписывается на месте, и ничего не записано");
        }
        char block[BlockSize];
        for (;;) {
            const ssize_t n = ::read(from, block, sizeof block);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw EFileError(path, SystemReason(errno));
            if (n == 0)
                break;
            WriteAll(fd, std::string_view(block, static_cast<std::size_t>(n)), path);
        }
        if (::ftruncate(fd, size) != 0 || ::fsync(fd) != 0)
            throw EFileError(path, SystemReason(errno));
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        throw EFileError(path, SystemReason(errno));
}

void TOutputFile::Write(std::string_view bytes)
{
    WriteAll(m_fd, bytes, m_path);
}

void TOutputFile::Commit()
{
    if (m_rewrite)
        RewriteInPlace(m_fd, m_path, m_old);
    if (m_temporary == nullptr) {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            throw EFileError(m_path, SystemReason(errno));
        return;
    }
    ::fchmod(m_fd, m_old.Exists ? m_old.Mode : NewFileMode());
    if (m_old.Exists && (m_old.Owner != ::geteuid() || m_old.Group != ::getegid())
        && ::fchown(m_fd, m_old.Owner, m_old.Group) != 0)
        throw EFileError(m_path,
            "владелец и группа файла не сохранились бы (" + SystemReason(errno) + "); ничего не записано");
    // Only a file that replaces another must reach the disk before the rename:
    // else a crash could leave neither the old text nor the new one.
    if (m_old.Exists)
        m_temporary->Sync();
    m_temporary->ReplaceTarget();
    m_fd = -1;
}

void CheckOutputPath(const std::string& path, bool force)
{
    const TOutputPlan plan = PlanOutput(path, force);
    if (plan.Old.Exists && !plan.Old.Regular)
        return;
    const std::filesystem::path parent = std::filesystem::path(plan.Path).parent_path();
    const std::string dir = (parent.empty() ? std::filesystem::path(".") : parent).string();
    struct stat st
    {
    };
    if (::stat(dir.c_str(), &st) != 0)
        throw EFileError(path, std::string("нет каталога ") + QuotedPath(dir));
    if (!S_ISDIR(st.st_mode))
        throw EFileError(path, QuotedPath(dir) + " не каталог");
    if (::access(dir.c_str(), W_OK | X_OK) != 0)
        throw EFileError(path, std::string("нет прав на запись в каталог ") + QuotedPath(dir));
}

bool SameFile(const std::string& a, const std::string& b)
{
    const TFileStamp first = StampOfPath(a);
    const TFileStamp second = StampOfPath(b);
    if (first.Exists && second.Exists)
        return first.Device == second.Device && first.Inode == second.Inode;
    if (first.Exists != second.Exists)
        return false;
    try {
        namespace fs = std::filesystem;
        return fs::weakly_canonical(fs::absolute(FollowLinks(a)))
            == fs::weakly_canonical(fs::absolute(FollowLinks(b)));
    } catch (const std::exception&) {
        return false;
    }
}

void WriteFileAtomic(const std::string& path, std::string_view bytes, bool force)
{
    TOutputFile file(path, force);
    file.Write(bytes);
    file.Commit();
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
