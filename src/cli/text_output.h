#pragma once

#include <string>
#include <string_view>

namespace tildo {

struct TInputText;
struct TFileStamp;

// Where the result of a command goes.
struct TOutputTarget
{
    std::string OutputPath; // -o; empty (or "-") for standard output
    bool InPlace = false; // -i: over the input file itself
    std::string BackupSuffix; // --backup: the original is kept as FILE + suffix
    bool Force = false; // -i replaces a read-only file too
};

// Writes the result of a command on input.
//
// To a path (-o): symbolic links are followed; an existing target that is not
// a regular file (a device, a pipe, a socket) is opened and written into; a
// regular file is written through a temporary file in its directory and
// renamed over the old one (keeping its permissions, owner and group), so that
// a failure never leaves half a text.
//
// In place (-i): the file behind the input path is replaced the same way, but
// only while it is still the file that was read: if another program replaced
// or changed it meanwhile, nothing is written and ECliError (exit 3) says so.
// A read-only file is refused unless target.Force. A file with other hard
// links is rewritten in place, so that every name sees the new text. The
// backup keeps the original file itself (its permissions included). An
// unchanged text is not rewritten unless a backup is asked for.
//
// Throws EFileError for input/output failures and ECliError for refusals.
void WriteResult(const TInputText& input, std::string_view bytes, const TOutputTarget& target);

// The file that writing over path replaces: path itself, or the file its
// symbolic links lead to (that file need not exist). Throws EFileError for a
// loop of links.
std::string InPlaceTarget(const std::string& path);

// Keeps the file at path, which must still be in the state `read`, as
// backupPath (replacing an older backup): a second name of the same file where
// the file system allows and the file has no other names, else a copy of bytes
// with the same permissions. Throws EFileError or ECliError.
void KeepBackup(
    const std::string& path, std::string_view bytes, const std::string& backupPath, const TFileStamp& read);

} // namespace tildo
