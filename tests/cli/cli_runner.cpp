#include "cli_runner.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tildo::test {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TCliRun RunCli(const std::vector<std::string>& args, const std::string& stdinBytes)
{
    return RunCliAt(TILDO_CLI_PATH, args, stdinBytes);
}

TCliRun RunCliAt(
    const std::string& program, const std::vector<std::string>& args, const std::string& stdinBytes)
{
    // Standard input, output and error go through files, so that nothing can
    // block on a full pipe.
    TTempDir io;
    const std::string in = io.Write("stdin", stdinBytes);
    const std::string out = io.Path() + "/stdout";
    const std::string err = io.Path() + "/stderr";

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    std::vector<std::string> argv { program };
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& a : argv)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start tildo-cli");
    int status = 0;
    waitpid(pid, &status, 0);

    TCliRun run;
    run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Out = ReadFile(out);
    run.Err = ReadFile(err);
    return run;
}

std::string TestDictionary(const TTempDir& dir)
{
    const char* lines[] = { "# test dictionary", "всё?", "ёж", "ёлка", "ещё", "лёт?", "полёт*?" };
    std::string text;
    for (const char* line : lines)
        text += W(line) + "\r\n";
    return dir.Write("test.dat", text);
}

} // namespace tildo::test
