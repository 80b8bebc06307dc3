#pragma once

#include <string>
#include <string_view>

namespace tildo {

// The help text of a command ("" or "restore" for the restoration pass and the
// overview, "collect", "selftest", "find", "dict", "dict check", ..., "forms"),
// in Russian like the rest of the program.
std::string HelpText(std::string_view command);

} // namespace tildo
