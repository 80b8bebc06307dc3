#pragma once

#include "batch/question_log.h"
#include "engine/run_counters.h"

#include <string>
#include <vector>

namespace tildo {

// The JSON report of a pass (UTF-8): the five run counters under their own
// names, the seconds the pass took, and every question in the order asked with
// line and column (from 1, in characters), word, plain, dotted, default ("е" or
// "ё"), caption and answer.
// A question the context judge had an answer for has "context": {"answer",
// "family", "evidence"} (only "family" when the judge could not tell); the words it decided without a
// question follow the questions as "context" (line, column, word as written after, answer, evidence), and
// their number as ContextDecisionCount, when there are any.
std::string RunReportJson(const TRunCounters& counters, double seconds,
    const std::vector<TQuestionRecord>& questions, const std::vector<TContextRecord>& decisions = {});

// The same report for a pass that asks more questions than memory should
// hold: each question is written to a scratch file as it comes, and the report
// is put together when the counters are known. The result is byte for byte
// what RunReportJson gives.
class TRunReportSpool
{
public:
    TRunReportSpool();
    ~TRunReportSpool();
    TRunReportSpool(const TRunReportSpool&) = delete;
    TRunReportSpool& operator=(const TRunReportSpool&) = delete;

    void Add(const TQuestionRecord& question);
    // A word decided by context (kept in memory: far fewer than the questions).
    void AddContext(const TContextRecord& decision);
    // Writes the report to path (replaced atomically); throws EFileError.
    void WriteTo(const std::string& path, const TRunCounters& counters, double seconds);

private:
    void Flush();

    int m_fd = -1;
    std::string m_buffer;
    bool m_any = false;
    std::string m_contextItems;
};

} // namespace tildo
