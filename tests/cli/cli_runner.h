#pragma once

#include "support/recording_ui.h"

#include <string>
#include <vector>

namespace tildo::test {

// What one run of the built tildo-cli gave.
struct TCliRun
{
    int Code = -1; // exit code; -1 when the process did not exit normally
    std::string Out;
    std::string Err;
};

// Runs the built tildo-cli with args and standard input from stdinBytes (never
// a terminal).
TCliRun RunCli(const std::vector<std::string>& args, const std::string& stdinBytes = "");
// The same for a copy of tildo-cli elsewhere (beside data files of a test's own).
TCliRun RunCliAt(
    const std::string& program, const std::vector<std::string>& args, const std::string& stdinBytes = "");

std::string ReadFile(const std::string& path);

// A small main dictionary in CP1251 with CR LF: все/всё and лет/лёт are
// variants, ещё, ёж, ёлка are fixed, and полёт is a variant rule.
std::string TestDictionary(const TTempDir& dir);

} // namespace tildo::test
