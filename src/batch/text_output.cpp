#include "text_output.h"

#include "batch/messages.h"
#include "batch/text_input.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tildo {

namespace {

constexpr std::size_t BufferSize = 1 << 20;
constexpr std::uint64_t WritebackStep = 8 << 20;

[[noreturn]] void ThrowSystem(const std::string& path)
{
    throw EFileError(path, SystemErrorText(errno));
}

void CheckUnchanged(const std::string& path, const TFileStamp& read)
{
    if (!StampOfPath(path).SameState(read))
        ThrowChangedMeanwhile(path);
}

// Gives a replacement the owner and group of the file it replaces, or
// refuses: a file must never change hands.
void KeepOwner(int fd, const std::string& path, const TFileStamp& old)
{
    if (!old.Exists || (old.Owner == ::geteuid() && old.Group == ::getegid()))
        return;
    if (::fchown(fd, old.Owner, old.Group) != 0)
        throw ECliError(ExitInputOutput,
            QuotedPath(path) + ": владелец и группа файла не сохранились бы (" + SystemErrorText(errno)
                + "); ничего не записано");
}

bool ReadOnly(const std::string& path, const TFileStamp& stamp)
{
    return (stamp.Mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// Copies everything from the start of `from` to `to`; returns the bytes copied.
std::uint64_t CopyDescriptor(int from, int to, const std::string& fromName, const std::string& toName)
{
    if (::lseek(from, 0, SEEK_SET) < 0)
        ThrowSystem(fromName);
    std::string block(BufferSize, '\0');
    std::uint64_t copied = 0;
    for (;;) {
        const ssize_t n = ::read(from, block.data(), block.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowSystem(fromName);
        if (n == 0)
            return copied;
        WriteAllTo(to, std::string_view(block.data(), static_cast<std::size_t>(n)), toName);
        copied += static_cast<std::uint64_t>(n);
    }
}

// An open file that must be the one that was read; closed on destruction.
class TCheckedFile
{
public:
    TCheckedFile(const std::string& path, int flags, const TFileStamp& read)
        : m_fd(::open(path.c_str(), flags | O_NOCTTY | O_CLOEXEC))
    {
        if (m_fd < 0)
            ThrowSystem(path);
        if (!StampOfDescriptor(m_fd).SameState(read)) {
            ::close(m_fd);
            ThrowChangedMeanwhile(path);
        }
    }
    ~TCheckedFile() { Close(); }
    TCheckedFile(const TCheckedFile&) = delete;
    TCheckedFile& operator=(const TCheckedFile&) = delete;
    int Fd() const { return m_fd; }
    int Close()
    {
        const int result = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

// Keeps the file at path, which must still be in the state `read`, as
// backupPath (replacing an older backup): a second name of the same file where
// the file system allows and the file has no other names, else a copy of its
// bytes with the same permissions.
void KeepBackup(const std::string& path, const std::string& backupPath, const TFileStamp& read)
{
    const TSignalsDeferred deferred;
    // The link is made under a scratch name and renamed over the backup, so
    // that an older backup is replaced in one step. A file with other names
    // will be rewritten in place, so its backup must be a copy.
    if (read.Links <= 1) {
        const std::string scratch = backupPath + ".tildo-new";
        ::unlink(scratch.c_str());
        if (::link(path.c_str(), scratch.c_str()) == 0) {
            // The link names whatever is at path now: it must be what was read.
            if (!StampOfPath(scratch).SameState(read)) {
                ::unlink(scratch.c_str());
                ThrowChangedMeanwhile(path);
            }
            if (::rename(scratch.c_str(), backupPath.c_str()) == 0)
                return;
            const int error = errno;
            ::unlink(scratch.c_str());
            throw EFileError(backupPath, SystemErrorText(error));
        }
    }
    TCheckedFile original(path, O_RDONLY, read);
    TTemporaryFile copy(backupPath);
    CopyDescriptor(original.Fd(), copy.Fd(), path, backupPath);
    if (!StampOfDescriptor(original.Fd()).SameState(read))
        ThrowChangedMeanwhile(path);
    ::fchmod(copy.Fd(), read.Mode);
    copy.Sync();
    copy.ReplaceTarget();
}

// A file of its own for the result when the target's directory has room for
// none: beside the target where possible, so that it lands on the same disk.
int OpenSpool(const std::string& target)
{
    try {
        const std::string dir = std::filesystem::path(target).parent_path().string();
        return OpenAnonymousTemporary(dir.empty() ? "." : dir);
    } catch (const EFileError&) {
        return OpenAnonymousTemporary();
    }
}

} // namespace

TResultWriter::TResultWriter(
    const TOutputTarget& target, const std::string& inputPath, const TFileStamp& read)
    : m_target(target)
    , m_inputPath(inputPath)
{
    if (target.InPlace) {
        if (!read.Regular)
            throw ECliError(ExitInputOutput,
                "-i: \"" + PathForMessage(inputPath)
                    + "\" не обычный файл; результат можно записать через -o");
        m_path = InPlaceTarget(inputPath);
        m_old = read;
        if (read.Links > 1) {
            // Written whole first: the file itself is still being read.
            m_kind = TKind::Rewrite;
            m_fd = OpenSpool(m_path);
            m_ownFd = true;
            return;
        }
        // A new file in its place would belong to whoever runs this.
        if (read.Owner != ::geteuid() && ::geteuid() != 0)
            throw ECliError(ExitInputOutput,
                QuotedPath(inputPath)
                    + " принадлежит другому пользователю, а новый файл принадлежал бы запустившему; "
                      "ничего не записано");
        m_kind = TKind::Replace;
        // A signal removes the file through the handler: a long pass must stay interruptible.
        m_temporary = std::make_unique<TTemporaryFile>(m_path, false);
        m_fd = m_temporary->Fd();
        return;
    }
    if (target.OutputPath.empty() || target.OutputPath == "-") {
        m_kind = TKind::StandardOutput;
        m_path = "stdout";
        m_fd = STDOUT_FILENO;
        return;
    }
    // Refused as -i refuses it, with the way round it.
    const std::string behind = InPlaceTarget(target.OutputPath);
    const TFileStamp existing = StampOfPath(behind);
    if (!target.Force && existing.Regular && ReadOnly(behind, existing))
        throw ECliError(ExitInputOutput,
            QuotedPath(target.OutputPath)
                + " доступен только для чтения; ничего не записано (--force — заменить всё равно)");
    m_output = std::make_unique<TOutputFile>(target.OutputPath, target.Force, false);
    m_kind = m_output->IntoExisting() ? TKind::IntoExisting : TKind::Replace;
    m_path = m_output->Path();
    m_old = m_output->Replaced();
    m_fd = m_output->Fd();
}

TResultWriter::~TResultWriter()
{
    if (m_ownFd && m_fd >= 0)
        ::close(m_fd);
}

void TResultWriter::WriteOut(std::string_view bytes)
{
    WriteAllTo(m_fd, bytes, m_path);
    m_written += bytes.size();
    // A file that will replace another is flushed to disk before the rename.
    // Starting its writeback as it grows leaves little for that flush, which
    // otherwise stalls the thread (and, on a journalling file system, every
    // other thread's flush with it).
    if (m_kind == TKind::Replace && m_old.Exists && m_written - m_started >= WritebackStep) {
        ::sync_file_range(m_fd, static_cast<off_t>(m_started), static_cast<off_t>(m_written - m_started),
            SYNC_FILE_RANGE_WRITE);
        m_started = m_written;
    }
}

void TResultWriter::Flush()
{
    WriteOut(m_buffer);
    m_buffer.clear();
}

void TResultWriter::Write(std::string_view bytes)
{
    if (m_buffer.size() + bytes.size() > BufferSize) {
        Flush();
        if (bytes.size() >= BufferSize) {
            WriteOut(bytes);
            return;
        }
    }
    if (m_buffer.capacity() < BufferSize)
        m_buffer.reserve(BufferSize);
    m_buffer.append(bytes);
}

void TResultWriter::Commit(bool changed)
{
    Flush();
    switch (m_kind) {
    case TKind::StandardOutput:
        return;
    case TKind::IntoExisting:
    case TKind::Replace:
    case TKind::Rewrite:
        if (m_target.InPlace)
            CommitInPlace(changed);
        else
            m_output->Commit();
        return;
    }
}

void TResultWriter::CommitInPlace(bool changed)
{
    const bool backup = !m_target.BackupSuffix.empty();
    if (!changed && !backup)
        return;
    CheckUnchanged(m_path, m_old);
    if (!m_target.Force && ReadOnly(m_path, m_old))
        throw ECliError(ExitInputOutput,
            QuotedPath(m_inputPath)
                + " доступен только для чтения; ничего не записано (--force — заменить всё равно)");
    if (backup)
        KeepBackup(m_path, m_path + m_target.BackupSuffix, m_old);
    if (m_kind == TKind::Rewrite)
        RewriteFromSpool();
    else
        ReplaceWithTemporary();
}

void TResultWriter::ReplaceWithTemporary()
{
    ::fchmod(m_fd, m_old.Mode);
    KeepOwner(m_fd, m_path, m_old);
    // The new file must reach the disk before the rename: else a crash could
    // leave neither the old text nor the new one.
    m_temporary->Sync();
    CheckUnchanged(m_path, m_old);
    m_temporary->ReplaceTarget();
}

// Copies the result into the file itself (its inode), for a file with
// several names, as every file with several names is rewritten.
void TResultWriter::RewriteFromSpool()
{
    RewriteInPlace(m_fd, m_path, m_old);
}

void WriteResult(const TInputText& input, const TOutputTarget& target, bool textChanged)
{
    if (target.InPlace && input.Stamp.Regular && !textChanged && target.BackupSuffix.empty())
        return;
    TResultWriter writer(target, input.Path, input.Stamp);
    const bool changed = input.EncodeTo([&writer](std::string_view bytes) { writer.Write(bytes); });
    writer.Commit(changed);
}

std::string InPlaceTarget(const std::string& path)
{
    return FollowLinks(path);
}

} // namespace tildo
