#pragma once

#include "platform/user_interface.h"

#include <string>
#include <string_view>

namespace tildo {

// The boxes every command shows about files: they are CP1251 texts, so a path
// goes through PathForDisplay before it is shown.

// "Файл %s существует. Переписать?" as a Yes/No question with No as the
// default; true only for Yes. It does not look at the disk: callers ask only
// after finding the file exists.
bool ConfirmOverwrite(UserInterface& ui, const std::string& fileName);

// A file-system path (UTF-8 bytes on Linux) as CP1251 text for a message.
std::string PathForDisplay(const std::string& path);

// A line of a file quoted in a message: at most a screen line of it, with
// "..." where it was cut, so that a huge line cannot make a huge message.
std::string ClipForMessage(std::string_view line);

// Reports an input/output failure: the path and the system's reason.
void ReportFileError(UserInterface& ui, const std::string& path, const std::string& reason);

// Reports a file that must not be read into memory (missing, not a regular
// file, or larger than MaxInputFileSize) with a box naming it; true when it was refused.
bool RefuseInputFile(UserInterface& ui, const std::string& path);

} // namespace tildo
