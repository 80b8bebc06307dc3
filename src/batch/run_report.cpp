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
    const std::string flat = Dump(item, 2);
    std::string out = "    ";
    for (const char c : flat) {
        out += c;
        if (c == '\n')
            out += "    ";
    }
    return out;
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
    report["seconds"] = seconds;
    report["questions"] = TJson::array();
    std::string text = Dump(report, 2) + "\n";
    if (questions)
        text.resize(text.rfind("[]") + 1); // the list's items and its end follow
    return text;
}

constexpr const char* ReportTail = "\n  ]\n}\n";

} // namespace

std::string RunReportJson(
    const TRunCounters& counters, double seconds, const std::vector<TQuestionRecord>& questions)
{
    std::string text = ReportHead(counters, seconds, !questions.empty());
    if (questions.empty())
        return text;
    for (std::size_t i = 0; i < questions.size(); ++i) {
        text += i == 0 ? "\n" : ",\n";
        text += QuestionJson(questions[i]);
    }
    return text + ReportTail;
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

void TRunReportSpool::WriteTo(const std::string& path, const TRunCounters& counters, double seconds)
{
    Flush();
    TTemporaryFile file(path, false);
    file.Write(ReportHead(counters, seconds, m_any));
    if (m_any) {
        if (::lseek(m_fd, 0, SEEK_SET) < 0)
            throw EFileError(Scratch, std::strerror(errno));
        std::string block(SpoolBuffer, '\0');
        for (;;) {
            const ssize_t n = ::read(m_fd, block.data(), block.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw EFileError(Scratch, std::strerror(errno));
            if (n == 0)
                break;
            file.Write(std::string_view(block.data(), static_cast<std::size_t>(n)));
        }
        file.Write(ReportTail);
    }
    // The permissions of the report it replaces, as WriteFileAtomic keeps them.
    const TFileStamp old = StampOfPath(path);
    ::fchmod(file.Fd(), old.Exists ? old.Mode : 0644);
    file.Sync();
    file.ReplaceTarget();
}

} // namespace tildo
