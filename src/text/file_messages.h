#pragma once

#include "platform/user_interface.h"

#include <string>

namespace tildo {

// The boxes every command shows about files: they are CP1251 texts, so a path
// goes through PathForDisplay before it is shown.

// "Файл %s существует. Переписать?" as a Yes/No question with No as the
// default; true only for Yes. It does not look at the disk: callers ask only
// after finding the file exists.
bool ConfirmOverwrite(UserInterface& ui, const std::string& fileName);

// A file-system path (UTF-8 bytes on Linux) as CP1251 text for a message.
std::string PathForDisplay(const std::string& path);

// Reports an input/output failure: the path and the system's reason.
void ReportFileError(UserInterface& ui, const std::string& path, const std::string& reason);

} // namespace tildo
