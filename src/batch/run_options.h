#pragma once

#include <string>
#include <vector>

namespace tildo {

// What every command that runs the engine over a text takes.
struct TPassCommandOptions
{
    std::string File = "-";
    std::string Dictionary; // empty: tildo.dat beside the program or in the data directory
    // Empty: the shipped combi.dat when neither -d nor NoCombi is given, else none.
    std::string Combinations;
    bool NoCombi = false;
    std::string ContextDataDirectory; // of tags.dat and rare_yo.dat; empty: the program's data directory
    std::vector<std::string> On;
    std::vector<std::string> Off;
    std::string Encoding = "auto";
    bool AcceptDamagedDictionary = false; // load a dictionary that is binary or out of order
    std::string Format = "auto"; // --format: a format name, or auto for the file name's
    // --max-unpacked: the most bytes an archive (DOCX, ODT, EPUB) may unpack to.
    unsigned long long MaxUnpacked = 1ull << 30;
};

struct TRestoreOptions : TPassCommandOptions
{
    std::vector<std::string> Answers;
    std::string Unanswered; // empty: keep, or ask when standard input is a terminal
    std::string ReportPath;
    std::string DecisionsPath; // a report with the answers decided beforehand
    bool Check = false;
    bool InPlace = false;
    std::string OutputPath;
    std::string BackupSuffix;
    bool BackupGiven = false;
    bool Force = false;
    std::vector<std::string> Files; // several files: a batch (with -i or -o DIR)
    int Jobs = 1; // -j: files restored at once
    std::string Jsonl; // --jsonl: the field of JSON Lines records to restore
    bool JsonlSkipBad = false;
    int MaxRecordMb = 64; // --max-record: the longest JSON Lines record, in megabytes
};

} // namespace tildo
