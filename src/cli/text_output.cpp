#include "text_output.h"

#include "cli/console.h"
#include "cli/text_input.h"
#include "platform/file_io.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tildo {

namespace {

[[noreturn]] void ThrowChanged(const std::string& path)
{
    throw ECliError(ExitInputOutput,
        "\"" + path + "\" изменился, пока шла обработка (его заменила или изменила другая программа); "
            + "ничего не записано");
}

void CheckUnchanged(const std::string& path, const TFileStamp& read)
{
    if (!StampOfPath(path).SameState(read))
        ThrowChanged(path);
}

// Gives a replacement the owner and group of the file it replaces; a user
// who may not do that is told, since the file changes hands.
void KeepOwner(int fd, const std::string& path, const TFileStamp& old)
{
    if (!old.Exists || (old.Owner == ::geteuid() && old.Group == ::getegid()))
        return;
    if (::fchown(fd, old.Owner, old.Group) != 0)
        PrintError("\"" + path + "\": владелец и группа файла не сохранены (" + std::strerror(errno)
            + "), новый файл принадлежит запустившему");
}

// Writes into an existing file that is not ours to replace: a device, a pipe
// or a socket keeps being what it is.
void WriteIntoExisting(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw EFileError(path, std::strerror(errno));
    try {
        WriteAllTo(fd, bytes, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        throw EFileError(path, std::strerror(errno));
}

void ReplaceRegular(
    const std::string& path, std::string_view bytes, const TFileStamp& old, const TFileStamp* expected)
{
    TTemporaryFile file(path);
    file.Write(bytes);
    ::fchmod(file.Fd(), old.Exists ? old.Mode : 0644);
    KeepOwner(file.Fd(), path, old);
    if (expected != nullptr)
        CheckUnchanged(path, *expected);
    file.ReplaceTarget();
}

// Rewrites the file itself (its inode), for a file with several names.
void RewriteInPlace(const std::string& path, std::string_view bytes, const TFileStamp& read)
{
    TSignalsDeferred deferred;
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw EFileError(path, std::strerror(errno));
    try {
        struct stat st
        {
        };
        if (::fstat(fd, &st) != 0 || st.st_ino != read.Inode || st.st_dev != read.Device
            || st.st_size != read.Size)
            ThrowChanged(path);
        WriteAllTo(fd, bytes, path);
        if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0)
            throw EFileError(path, std::strerror(errno));
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        throw EFileError(path, std::strerror(errno));
}

bool ReadOnly(const std::string& path, const TFileStamp& stamp)
{
    return (stamp.Mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

void WriteInPlace(const TInputText& input, std::string_view bytes, const TOutputTarget& target)
{
    const std::string path = InPlaceTarget(input.Path);
    const TFileStamp& read = input.Stamp;
    if (!read.Regular)
        throw ECliError(
            ExitInputOutput, "-i: \"" + input.Path + "\" не обычный файл; результат можно записать через -o");
    const bool backup = !target.BackupSuffix.empty();
    if (bytes == input.Bytes && !backup)
        return;
    CheckUnchanged(path, read);
    if (!target.Force && ReadOnly(path, read))
        throw ECliError(ExitInputOutput,
            "\"" + input.Path
                + "\" доступен только для чтения; ничего не записано (--force — заменить всё равно)");
    if (backup)
        KeepBackup(path, input.Bytes, path + target.BackupSuffix, read);
    if (read.Links > 1)
        RewriteInPlace(path, bytes, read);
    else
        ReplaceRegular(path, bytes, read, &read);
}

} // namespace

std::string InPlaceTarget(const std::string& path)
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
            throw EFileError(path, std::strerror(errno));
        const fs::path next(std::string(link, static_cast<std::size_t>(n)));
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    throw EFileError(path, std::strerror(ELOOP));
}

void KeepBackup(
    const std::string& path, std::string_view bytes, const std::string& backupPath, const TFileStamp& read)
{
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
                ThrowChanged(path);
            }
            if (::rename(scratch.c_str(), backupPath.c_str()) == 0)
                return;
            const int error = errno;
            ::unlink(scratch.c_str());
            throw EFileError(backupPath, std::strerror(error));
        }
    }
    WriteFileAtomic(backupPath, bytes);
    ::chmod(backupPath.c_str(), read.Mode);
}

void WriteResult(const TInputText& input, std::string_view bytes, const TOutputTarget& target)
{
    if (target.InPlace) {
        WriteInPlace(input, bytes, target);
        return;
    }
    if (target.OutputPath.empty() || target.OutputPath == "-") {
        WriteStandardOutput(bytes);
        return;
    }
    const std::string path = InPlaceTarget(target.OutputPath);
    const TFileStamp old = StampOfPath(path);
    if (old.Exists && !old.Regular)
        WriteIntoExisting(path, bytes);
    else
        ReplaceRegular(path, bytes, old, nullptr);
}

} // namespace tildo
