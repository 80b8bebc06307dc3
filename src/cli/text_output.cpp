#include "text_output.h"

#include "cli/console.h"
#include "cli/text_input.h"
#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tildo {

std::string InPlaceTarget(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return path;
    const auto target = std::filesystem::canonical(path, error);
    if (error)
        throw EFileError(path, error.message());
    return target.string();
}

void KeepBackup(const std::string& path, std::string_view bytes, const std::string& backupPath)
{
    // The link is made under a scratch name and renamed over the backup, so
    // that an older backup is replaced in one step.
    const std::string scratch = backupPath + ".tildo-new";
    ::unlink(scratch.c_str());
    if (::link(path.c_str(), scratch.c_str()) == 0) {
        if (::rename(scratch.c_str(), backupPath.c_str()) == 0)
            return;
        const int error = errno;
        ::unlink(scratch.c_str());
        throw EFileError(backupPath, std::strerror(error));
    }
    WriteFileAtomic(backupPath, bytes);
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0)
        ::chmod(backupPath.c_str(), st.st_mode & 07777);
}

void WriteResult(const TInputText& input, std::string_view bytes, const TOutputTarget& target)
{
    if (target.InPlace) {
        const std::string path = InPlaceTarget(input.Path);
        const bool backup = !target.BackupSuffix.empty();
        if (bytes == input.Bytes && !backup)
            return;
        if (backup)
            KeepBackup(path, input.Bytes, path + target.BackupSuffix);
        WriteFileAtomic(path, bytes);
        return;
    }
    if (target.OutputPath.empty() || target.OutputPath == "-") {
        WriteStandardOutput(bytes);
        return;
    }
    WriteFileAtomic(target.OutputPath, bytes);
}

} // namespace tildo
