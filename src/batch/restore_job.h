#pragma once

#include "batch/cli_user_interface.h"
#include "batch/question_log.h"
#include "batch/run_options.h"
#include "batch/run_report.h"
#include "batch/text_input.h"
#include "batch/text_output.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "dict/my_lists.h"
#include "dict/rare_yo_list.h"
#include "dict/tag_dictionary.h"
#include "engine/run_counters.h"

#include <memory>
#include <string>
#include <vector>

namespace tildo {

struct TProgressCounts;

// The dictionaries of a run, loaded once and then only read, by one pass or
// by several at once on different threads.
struct TSharedDictionaries
{
    // Loads what the options name; throws ECliError as LoadMainDictionary does.
    explicit TSharedDictionaries(const TPassCommandOptions& options);
    TSharedDictionaries(const TSharedDictionaries&) = delete;
    TSharedDictionaries& operator=(const TSharedDictionaries&) = delete;

    TCliUserInterface Ui; // the loaders' warnings
    TBufferLimits Limits;
    TDic Dic; // its own run state is empty: passes bring theirs
    TCombiWordsDic Combi { Limits };
    bool Combinations = false;
    // Loaded only with "Решать по контексту" on; each pass has a judge of its own.
    bool Context = false;
    TTagDictionary Tags;
    TRareYoList Rare;
};

// What one text's pass gave.
struct TTextOutcome
{
    TRunCounters Counters;
    std::shared_ptr<TRunReportSpool> Report; // with --report: the questions asked
    std::string Status; // the engine's last report (CP1251)
    double Seconds = 0;
    bool Changed = false;
    bool Cancelled = false;
    int BadRecords = 0; // JSON Lines records passed through as malformed
};

// A restoration that asks no one, over any number of texts: plain text and
// FictionBook are read and written as the pass goes, in memory bounded by the
// dictionaries and a window of lines; RTF is read whole. With --jsonl each
// line is a JSON record and only the named field is restored. Run may be
// called from several threads at once: each call keeps its own pass state.
class TRestoreJob
{
public:
    TRestoreJob(const TSharedDictionaries& dictionaries, const TRestoreOptions& options,
        std::vector<TAnswer> answers, TUnanswered unanswered);

    // One text to its target; throws ECliError or EFileError, leaving the target as it was.
    TTextOutcome Run(const std::string& path, const TOutputTarget& target, TProgressCounts* progress) const;

private:
    struct TPass;
    TTextOutcome RunStreamed(
        const std::string& path, const TOutputTarget& target, TProgressCounts* progress) const;
    // RTF and the document formats, read whole.
    TTextOutcome RunWhole(TInputText input, const TOutputTarget& target) const;
    TTextOutcome RunJsonl(
        const std::string& path, const TOutputTarget& target, TProgressCounts* progress) const;

    const TSharedDictionaries& m_dictionaries;
    const TRestoreOptions& m_options;
    std::vector<TAnswer> m_answers;
    TUnanswered m_unanswered;
};

// Whether a restoration asks no one, so that it can stream: no question is
// left for a person and no scripted answer takes a replacement back.
bool AsksNoOne(TUnanswered unanswered, const std::vector<TAnswer>& answers);

} // namespace tildo
