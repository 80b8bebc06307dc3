#pragma once

#include <string>

namespace tildo {

// The directory of the program's own executable, without a trailing '/'.
// Throws EFileError when the system does not tell.
std::string ProgramDirectory();

// Makes directory the process's working directory; throws EFileError.
void SetWorkingDirectory(const std::string& directory);

} // namespace tildo
