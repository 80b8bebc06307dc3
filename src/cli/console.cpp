#include "console.h"

#include "platform/file_io.h"
#include "platform/signal_cleanup.h"
#include "text/cp1251.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace tildo {

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

} // namespace tildo
