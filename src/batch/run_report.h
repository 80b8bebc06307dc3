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
std::string RunReportJson(
    const TRunCounters& counters, double seconds, const std::vector<TQuestionRecord>& questions);

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
    // Writes the report to path (replaced atomically); throws EFileError.
    void WriteTo(const std::string& path, const TRunCounters& counters, double seconds);

private:
    void Flush();

    int m_fd = -1;
    std::string m_buffer;
    bool m_any = false;
};

} // namespace tildo
