#pragma once

#include <string>
#include <string_view>

namespace tildo {

struct TInputText;

// Where the result of a command goes.
struct TOutputTarget
{
    std::string OutputPath; // -o; empty (or "-") for standard output
    bool InPlace = false; // -i: over the input file itself
    std::string BackupSuffix; // --backup: the original is kept as FILE + suffix
};

// Writes the result of a command on input. A file is written through a
// temporary file in its directory and renamed over the old one, so that a
// failure never leaves half a text; in place, a symbolic link is followed and
// the file behind it replaced, and the backup keeps the original file itself
// (its permissions included). An unchanged text is not rewritten in place
// unless a backup is asked for. Throws EFileError.
void WriteResult(const TInputText& input, std::string_view bytes, const TOutputTarget& target);

// The file that writing over path replaces: path itself, or the file a
// symbolic link leads to.
std::string InPlaceTarget(const std::string& path);

// Keeps the file at path as backupPath (replacing an older backup): a second
// name of the same file where the file system allows, else a copy with the
// same permissions. Throws EFileError.
void KeepBackup(const std::string& path, std::string_view bytes, const std::string& backupPath);

} // namespace tildo
