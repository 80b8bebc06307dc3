#include "run_report.h"

#include "batch/messages.h"
#include "platform/file_io.h"
#include "text/cp1251.h"

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

namespace tildo {

namespace {

using TJson = nlohmann::ordered_json;

constexpr std::size_t SpoolBuffer = 1 << 20;
constexpr const char* Scratch = "отчёт (временный файл)";

// Invalid bytes cannot occur (every CP1251 byte has a character), but a
// report must never fail over one.
std::string Dump(const TJson& json, int indent)
{
    return json.dump(indent, ' ', false, TJson::error_handler_t::replace);
}

std::string Indented(const std::string& flat)
{
    std::string out = "    ";
    for (const char c : flat) {
        out += c;
        if (c == '\n')
            out += "    ";
    }
    return out;
}

TJson ContextJson(TAnswer answer, const std::string& family, const std::string& evidence)
{
    TJson context;
    context["answer"] = answer == TAnswer::Dotted ? "ё" : "е";
    context["family"] = family;
    context["evidence"] = Cp1251ToUtf8(evidence);
    return context;
}

// One question as it stands in the report's list: indented by two levels.
std::string QuestionJson(const TQuestionRecord& q)
{
    TJson item;
    item["line"] = q.Line;
    item["column"] = q.Column;
    item["word"] = Cp1251ToUtf8(q.Word);
    item["plain"] = Cp1251ToUtf8(q.Plain);
    item["dotted"] = Cp1251ToUtf8(q.Dotted);
    item["default"] = q.DefaultDotted ? "ё" : "е";
    item["caption"] = Cp1251ToUtf8(q.Caption);
    item["answer"] = q.Answer;
    if (q.ContextAnswer != TAnswer::None)
        item["context"] = ContextJson(q.ContextAnswer, q.ContextFamily, q.ContextEvidence);
    else if (!q.ContextFamily.empty())
        item["context"] = { { "family", q.ContextFamily } }; // asked, and it could not tell
    return Indented(Dump(item, 2));
}

// The report up to its list of questions, with the list opened ("[") when
// questions follow, or the whole report when there are none.
std::string ReportHead(const TRunCounters& counters, double seconds, bool questions)
{
    TJson report;
    report["NewDottedCount"] = counters.NewDottedCount;
    report["NewPlainCount"] = counters.NewPlainCount;
    report["AskedDottedCount"] = counters.AskedDottedCount;
    report["AskedPlainCount"] = counters.AskedPlainCount;
    report["CombiDecisionCount"] = counters.CombiDecisionCount;
    if (counters.ContextDecisionCount > 0)
        report["ContextDecisionCount"] = counters.ContextDecisionCount;
    report["seconds"] = seconds;
    report["questions"] = TJson::array();
    std::string text = Dump(report, 2) + "\n";
    if (questions)
        text.resize(text.rfind("[]") + 1); // the list's items and its end follow
    return text;
}

constexpr const char* ReportTail = "\n  ]\n}\n";

// One word decided by context, added to the items of the "context" list.
void AddContextItem(std::string& items, const TContextRecord& d)
{
    TJson item;
    item["line"] = d.Line;
    item["column"] = d.Column;
    item["word"] = Cp1251ToUtf8(d.Result);
    const TJson context = ContextJson(d.Answer, d.Family, d.Evidence);
    item["answer"] = context["answer"];
    item["family"] = context["family"];
    item["evidence"] = context["evidence"];
    items += items.empty() ? "\n" : ",\n";
    items += Indented(Dump(item, 2));
}

// A whole report (which ends with "}") with the list of context decisions
// after its list of questions.
std::string WithContextList(std::string report, const std::string& items)
{
    report.resize(report.rfind('}'));
    while (!report.empty() && report.back() == '\n')
        report.pop_back();
    return report + ",\n  \"context\": [" + items + ReportTail;
}

} // namespace

std::string RunReportJson(const TRunCounters& counters, double seconds,
    const std::vector<TQuestionRecord>& questions, const std::vector<TContextRecord>& decisions)
{
    std::string text = ReportHead(counters, seconds, !questions.empty());
    if (!questions.empty()) {
        for (std::size_t i = 0; i < questions.size(); ++i) {
            text += i == 0 ? "\n" : ",\n";
            text += QuestionJson(questions[i]);
        }
        text += ReportTail;
    }
    if (decisions.empty())
        return text;
    std::string items;
    for (const TContextRecord& d : decisions)
        AddContextItem(items, d);
    return WithContextList(text, items);
}

TRunReportSpool::TRunReportSpool()
    : m_fd(OpenAnonymousTemporary())
{
}

TRunReportSpool::~TRunReportSpool()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TRunReportSpool::Flush()
{
    WriteAllTo(m_fd, m_buffer, Scratch);
    m_buffer.clear();
}

void TRunReportSpool::Add(const TQuestionRecord& question)
{
    m_buffer += m_any ? ",\n" : "\n";
    m_buffer += QuestionJson(question);
    m_any = true;
    if (m_buffer.size() >= SpoolBuffer)
        Flush();
}

void TRunReportSpool::AddContext(const TContextRecord& decision)
{
    AddContextItem(m_contextItems, decision);
}

void TRunReportSpool::WriteTo(const std::string& path, const TRunCounters& counters, double seconds)
{
    Flush();
    TOutputFile file(path, false, false);
    const std::string head = ReportHead(counters, seconds, m_any);
    if (m_any || m_contextItems.empty())
        file.Write(head);
    else
        file.Write(WithContextList(head, m_contextItems));
    if (m_any) {
        if (::lseek(m_fd, 0, SEEK_SET) < 0)
            throw EFileError(Scratch, SystemErrorText(errno));
        std::string block(SpoolBuffer, '\0');
        for (;;) {
            const ssize_t n = ::read(m_fd, block.data(), block.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw EFileError(Scratch, SystemErrorText(errno));
            if (n == 0)
                break;
            file.Write(std::string_view(block.data(), static_cast<std::size_t>(n)));
        }
        if (m_contextItems.empty())
            file.Write(ReportTail);
        else
            file.Write(std::string("\n  ],\n  \"context\": [") + m_contextItems + ReportTail);
    }
    file.Commit();
}

} // namespace tildo
