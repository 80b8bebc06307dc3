#include "run_report.h"

#include "text/cp1251.h"

#include <nlohmann/json.hpp>

namespace tildo {

std::string RunReportJson(
    const TRunCounters& counters, double seconds, const std::vector<TQuestionRecord>& questions)
{
    using TJson = nlohmann::ordered_json;
    TJson report;
    report["NewDottedCount"] = counters.NewDottedCount;
    report["NewPlainCount"] = counters.NewPlainCount;
    report["AskedDottedCount"] = counters.AskedDottedCount;
    report["AskedPlainCount"] = counters.AskedPlainCount;
    report["CombiDecisionCount"] = counters.CombiDecisionCount;
    report["seconds"] = seconds;
    TJson list = TJson::array();
    for (const TQuestionRecord& q : questions) {
        TJson item;
        item["line"] = q.Line;
        item["column"] = q.Column;
        item["word"] = Cp1251ToUtf8(q.Word);
        item["plain"] = Cp1251ToUtf8(q.Plain);
        item["dotted"] = Cp1251ToUtf8(q.Dotted);
        item["default"] = q.DefaultDotted ? "ё" : "е";
        item["caption"] = Cp1251ToUtf8(q.Caption);
        item["answer"] = q.Answer;
        list.push_back(std::move(item));
    }
    report["questions"] = std::move(list);
    // Invalid bytes cannot occur (every CP1251 byte has a character), but a
    // report must never fail over one.
    return report.dump(2, ' ', false, TJson::error_handler_t::replace) + "\n";
}

} // namespace tildo
