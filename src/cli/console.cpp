#include "console.h"

#include "platform/file_io.h"
#include "platform/signal_cleanup.h"
#include "text/cp1251.h"

#include <cerrno>
#include <csignal>
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

void WriteAllTo(int fd, std::string_view bytes, const std::string& name)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError(name, std::strerror(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void WriteStandardOutput(std::string_view bytes)
{
    WriteAllTo(STDOUT_FILENO, bytes, "stdout");
}

bool WriteReport(int fd, std::string_view bytes)
{
    const std::string name = fd == STDOUT_FILENO ? "stdout" : "stderr";
    try {
        WriteAllTo(fd, bytes, name);
        return true;
    } catch (const EFileError& e) {
        PrintError(e.Path() + ": " + e.Reason());
        return false;
    }
}

namespace {

extern "C" void OnTerminatingSignal(int signal)
{
    // A file being rewritten in place is finished first; its writer raises
    // the signal again when it is done.
    if (PostponeSignal(signal))
        return;
    const char* text = signal == SIGINT ? "tildo-cli: прервано (SIGINT)\n"
        : signal == SIGHUP              ? "tildo-cli: прервано (SIGHUP)\n"
                                        : "tildo-cli: прервано (SIGTERM)\n";
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    static_cast<void>(ignored);
    RemoveTemporaryFilesNow();
    // The signal, raised again with its default action, ends the process as
    // the caller expects once this handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

void InstallSignalHandlers()
{
    struct sigaction action
    {
    };
    action.sa_handler = OnTerminatingSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : { SIGINT, SIGTERM, SIGHUP })
        ::sigaction(signal, &action, nullptr);
    // Beyond the file size limit a write then fails with EFBIG and is reported.
    ::signal(SIGXFSZ, SIG_IGN);
}

std::string ReadStandardInput()
{
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError("stdin", std::strerror(errno));
        }
        if (n == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string ArgumentToCp1251(std::string_view argument)
{
    std::size_t i = 0;
    while (i < argument.size()) {
        char32_t ch = 0;
        if (!NextUtf8(argument, i, ch))
            return std::string(argument);
    }
    return Utf8ToCp1251(argument);
}

std::string ForMessage(std::string_view cp1251)
{
    return Cp1251ToUtf8(cp1251);
}

std::string InputName(const std::string& path)
{
    return path == "-" ? std::string("стандартный ввод") : "\"" + path + "\"";
}

} // namespace tildo
