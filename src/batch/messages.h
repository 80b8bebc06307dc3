#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// Exit codes of the tool; scripts rely on them.
enum TExitCode : int {
    ExitDone = 0,
    ExitFound = 1, // --check found changes, the self-test failed, a dictionary check found faults
    ExitUsage = 2, // the command line is wrong (or a pattern does not compile)
    ExitInputOutput = 3, // a text, a dictionary or an output could not be read or written
};

// A failure that ends a command with an exit code and a message for the user
// (UTF-8, without the program name).
class ECliError : public std::runtime_error
{
public:
    ECliError(int exitCode, const std::string& message)
        : std::runtime_error(message)
        , m_exitCode(exitCode)
    {
    }
    int ExitCode() const { return m_exitCode; }

private:
    int m_exitCode;
};

// "tildo-cli: message" and a line break on standard error; a failure to write
// there is ignored, as nothing else could report it.
void PrintError(std::string_view utf8Message);

// Prints each message with PrintError, prefix first, but only the first
// ShownMessages of them; the rest are counted in one line ("и ещё N").
constexpr std::size_t ShownMessages = 10;
void PrintSummarised(const std::vector<std::string>& messages, const std::string& prefix = {});

// Writes all bytes to a file descriptor; throws EFileError naming `name`.
void WriteAllTo(int fd, std::string_view bytes, const std::string& name);

// Everything on standard input; throws EFileError.
std::string ReadStandardInput();

// A CP1251 text for a message on the terminal (UTF-8).
std::string ForMessage(std::string_view cp1251);

// How a path is named in messages: "стандартный ввод" for "-".
std::string InputName(const std::string& path);

} // namespace tildo
