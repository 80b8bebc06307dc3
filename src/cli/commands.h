#pragma once

#include "batch/question_log.h"
#include "batch/run_options.h"

#include <string>
#include <vector>

namespace tildo {

struct TFindOptions
{
    bool IgnoreCase = false;
    std::string Pattern;
    std::string File = "-";
    std::string Encoding = "auto";
    std::string Format = "auto";
};

struct TDictOptions
{
    std::string File;
    std::string Other; // subtract: the dictionary to take away; sweep: the dictionary
    bool Combinations = false; // check: a combination dictionary
    bool InPlace = false;
};

struct TFormsOptions
{
    std::string RulesPath; // empty: morphs.dat beside the program or in the data directory
    std::string Word;
};

// Each returns the exit code; failures the user must see throw ECliError or EFileError.
int RunRestore(const TRestoreOptions& options);
int RunCollect(const TPassCommandOptions& options);
int RunReview(const TPassCommandOptions& options);
int RunSelfTestCommand();
int RunFind(const TFindOptions& options);
int RunDictCheck(const TDictOptions& options);
int RunDictSort(const TDictOptions& options);
int RunDictDedupe(const TDictOptions& options);
int RunDictSubtract(const TDictOptions& options);
int RunDictSweep(const TDictOptions& options);
int RunForms(const TFormsOptions& options);

struct TTagsOptions
{
    std::string TagsPath; // empty: tags.dat beside the program or in the data directory
    std::string Word;
};
int RunTags(const TTagsOptions& options);

// The restoration of many texts at once (-j, several files, --jsonl) or of one
// text streamed; returns the exit code.
int RunRestoreJobs(
    const TRestoreOptions& options, const std::vector<TAnswer>& answers, TUnanswered unanswered);

} // namespace tildo
