#pragma once

#include "batch/messages.h"

#include <string>
#include <string_view>

namespace tildo {

// The exit codes, the failure that ends a command and the messages on standard
// error come from batch/messages.h; here is what only the terminal tool does.

// Writes all bytes to standard output; throws EFileError.
void WriteStandardOutput(std::string_view bytes);

// Writes a report (help, a status line) to standard output or standard error;
// false, after saying so on standard error where that still can be written,
// when the report could not be written.
bool WriteReport(int fd, std::string_view bytes);

// Makes the tool end with a message on SIGINT, SIGTERM and SIGHUP (files being
// written are finished or removed first, as their writers defer these
// signals), and makes an exceeded file size limit a write error instead of a
// silent death.
void InstallSignalHandlers();

// A command-line argument as CP1251: arguments arrive as UTF-8; one that is not
// valid UTF-8 is taken as CP1251 already.
std::string ArgumentToCp1251(std::string_view argument);

} // namespace tildo
