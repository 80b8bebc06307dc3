#include "messages.h"

#include "platform/file_io.h"
#include "text/cp1251.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tildo {

void PrintError(std::string_view utf8Message)
{
    std::string line = "tildo-cli: ";
    line.append(utf8Message);
    line += '\n';
    try {
        WriteAllTo(STDERR_FILENO, line, "stderr");
    } catch (const EFileError&) {
        // Nowhere left to report it.
    }
}

void PrintSummarised(const std::vector<std::string>& messages, const std::string& prefix)
{
    for (std::size_t i = 0; i < messages.size() && i < ShownMessages; ++i)
        PrintError(prefix + messages[i]);
    if (messages.size() > ShownMessages)
        PrintError(prefix + "и ещё " + std::to_string(messages.size() - ShownMessages));
}

void WriteAllTo(int fd, std::string_view bytes, const std::string& name)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError(name, SystemErrorText(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string ReadStandardInput()
{
    return ReadWholeDescriptor(STDIN_FILENO, "стандартный ввод");
}

std::string ForMessage(std::string_view cp1251)
{
    return Cp1251ToUtf8(cp1251);
}

std::string InputName(const std::string& path)
{
    return path == "-" ? std::string("стандартный ввод") : QuotedPath(path) + "";
}

} // namespace tildo
