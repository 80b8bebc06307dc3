#pragma once

#include "support/recording_ui.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace tildo::test {

// How to start the built tildo-cli.
struct TChildOptions
{
    std::vector<std::string> Args {};
    std::string Stdin {}; // bytes for standard input
    std::string StdinPath {}; // a file (a device, a pipe) as standard input instead
    std::string StdoutPath {}; // empty: a file read back into Out
    std::string StderrPath {}; // empty: a file read back into Err
    long FileSizeLimit = -1; // bytes; -1: no limit
    bool Terminal = false; // a pseudo-terminal as the controlling terminal
    int TimeoutSeconds = 300; // then the child is killed (Code -1, Signal SIGKILL)
};

// How it ended.
struct TChildResult
{
    int Code = -1; // exit code; -1 when a signal ended it
    int Signal = 0; // the signal that ended it, 0 when it exited
    long MaxResidentKb = 0; // the most memory it held at once
    std::string Out;
    std::string Err;
};

// tildo-cli running as a user would run it: its own files for standard input,
// output and error, optionally a size limit for the files it writes and a
// terminal of its own to ask questions on.
class TChild
{
public:
    explicit TChild(TChildOptions options);
    ~TChild();
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    // Reads what the child shows on its terminal until text appears; false
    // when the child ends first or nothing comes within the time.
    bool WaitForTerminal(const std::string& text, int seconds = 60);
    // Types bytes on the child's terminal.
    void Type(const std::string& bytes);
    void Signal(int signal);
    TChildResult Wait();

private:
    TChildOptions m_options;
    TTempDir m_io;
    pid_t m_pid = -1;
    int m_master = -1;
    int m_slave = -1;
    std::string m_terminalText;
};

inline TChildResult RunChild(TChildOptions options)
{
    return TChild(std::move(options)).Wait();
}

std::string ReadFile(const std::string& path);

// Reads a named pipe until its writer closes it; gives up after `seconds`
// without data, so that a writer that never comes fails a test, not hangs it.
std::string ReadPipe(const std::string& path, int seconds = 30);

// Names in dir that look like temporary files left by a writer (".name.XXXXXX").
std::vector<std::string> LeftoverTemporaries(const std::string& dir);

// A small CP1251 dictionary: все/всё and лет/лёт are variants, ещё, ёж and
// ёлка are fixed.
std::string SmallDictionary(const TTempDir& dir);

} // namespace tildo::test
