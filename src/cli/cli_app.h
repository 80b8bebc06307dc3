#pragma once

#include <string>
#include <vector>

namespace tildo {

// The whole tool: parses the arguments (without the program name), runs the
// command and returns the exit code. Without a command name the arguments are
// those of "restore".
int RunTildoCli(std::vector<std::string> args);

} // namespace tildo
