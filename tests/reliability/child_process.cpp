#include "child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tildo::test {

namespace {

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecChild(const TChildOptions& options, const char* in, const char* out, const char* err,
    const char* terminal, char** argv)
{
    // The test runner may hold signals; the child starts as from a shell.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (const int s : { SIGINT, SIGTERM, SIGHUP, SIGXFSZ, SIGPIPE })
        signal(s, SIG_DFL);
    if (terminal != nullptr) {
        setsid();
        const int tty = open(terminal, O_RDWR); // becomes the controlling terminal
        if (tty < 0)
            _exit(126);
        ioctl(tty, TIOCSCTTY, 0);
        close(tty);
    }
    const int fds[3] = { open(in, O_RDONLY), open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644),
        open(err, O_WRONLY | O_CREAT | O_TRUNC, 0644) };
    for (int i = 0; i < 3; ++i) {
        if (fds[i] < 0 || dup2(fds[i], i) < 0)
            _exit(126);
        if (fds[i] > 2)
            close(fds[i]);
    }
    if (options.FileSizeLimit >= 0) {
        const rlimit limit { static_cast<rlim_t>(options.FileSizeLimit),
            static_cast<rlim_t>(options.FileSizeLimit) };
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    execve(argv[0], argv, environ);
    _exit(127);
}

} // namespace

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ReadPipe(const std::string& path, int seconds)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string bytes;
    for (;;) {
        pollfd p { fd, POLLIN, 0 };
        if (poll(&p, 1, seconds * 1000) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EAGAIN)
            continue;
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return bytes;
}

TChild::TChild(TChildOptions options)
    : m_options(std::move(options))
{
    const std::string in
        = m_options.StdinPath.empty() ? m_io.Write("stdin", m_options.Stdin) : m_options.StdinPath;
    const std::string out = m_options.StdoutPath.empty() ? m_io.Path() + "/stdout" : m_options.StdoutPath;
    const std::string err = m_options.StderrPath.empty() ? m_io.Path() + "/stderr" : m_options.StderrPath;
    std::string terminal;
    if (m_options.Terminal) {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        terminal = ptsname(m_master);
        // Held open so that reading the terminal does not fail before the child opens it.
        m_slave = open(terminal.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    // TILDO_TEST_CLI runs the same cases against another build (an older one, to see them fail).
    const char* other = std::getenv("TILDO_TEST_CLI");
    std::vector<std::string> args { other != nullptr && *other != '\0' ? other : TILDO_CLI_PATH };
    args.insert(args.end(), m_options.Args.begin(), m_options.Args.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    m_pid = fork();
    if (m_pid < 0)
        throw std::runtime_error("cannot start tildo-cli");
    if (m_pid == 0)
        ExecChild(m_options, in.c_str(), out.c_str(), err.c_str(),
            m_options.Terminal ? terminal.c_str() : nullptr, argv.data());
}

TChild::~TChild()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_master >= 0)
        close(m_master);
    if (m_slave >= 0)
        close(m_slave);
}

bool TChild::WaitForTerminal(const std::string& text, int seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (m_terminalText.find(text) == std::string::npos) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p { m_master, POLLIN, 0 };
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        m_terminalText.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

void TChild::Type(const std::string& bytes)
{
    if (write(m_master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("cannot type on the terminal");
}

void TChild::Signal(int signal)
{
    kill(m_pid, signal);
}

TChildResult TChild::Wait()
{
    int status = 0;
    rusage usage {};
    // A child that hangs is ended, so that the test fails instead of hanging.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_options.TimeoutSeconds);
    for (;;) {
        const pid_t done = wait4(m_pid, &status, WNOHANG, &usage);
        if (done == m_pid || (done < 0 && errno != EINTR))
            break;
        if (std::chrono::steady_clock::now() > deadline)
            kill(m_pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
    TChildResult result;
    result.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.MaxResidentKb = usage.ru_maxrss;
    if (m_options.StdoutPath.empty())
        result.Out = ReadFile(m_io.Path() + "/stdout");
    if (m_options.StderrPath.empty())
        result.Err = ReadFile(m_io.Path() + "/stderr");
    return result;
}

std::vector<std::string> LeftoverTemporaries(const std::string& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 8 && name[0] == '.' && name[name.size() - 7] == '.')
            found.push_back(name);
        if (name.find(".tildo-new") != std::string::npos)
            found.push_back(name);
    }
    return found;
}

std::string SmallDictionary(const TTempDir& dir)
{
    const char* lines[] = { "# test dictionary", "всё?", "ёж", "ёлка", "ещё", "лёт?" };
    std::string text;
    for (const char* line : lines)
        text += W(line) + "\r\n";
    return dir.Write("small.dat", text);
}

} // namespace tildo::test
