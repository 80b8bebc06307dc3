#pragma once

#include "cli/question_log.h"
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

} // namespace tildo
