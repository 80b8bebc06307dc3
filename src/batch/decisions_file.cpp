#include "decisions_file.h"

#include "batch/messages.h"
#include "platform/file_io.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace tildo {

namespace {

using TJson = nlohmann::json;

[[noreturn]] void Malformed(const std::string& what)
{
    throw ECliError(ExitUsage, "--decisions: " + what);
}

TAnswer ParseAnswer(const std::string& answer, std::size_t index)
{
    if (answer == "ё" || answer == "Ё" || answer == "1" || answer == "A1" || answer == "a1")
        return TAnswer::Dotted;
    if (answer == "е" || answer == "Е" || answer == "0" || answer == "A0" || answer == "a0")
        return TAnswer::Plain;
    if (answer.empty() || answer == "keep" || answer == "U" || answer == "u" || answer == "C"
        || answer == "c")
        return TAnswer::None;
    Malformed("вопрос " + std::to_string(index + 1) + ": ответ \"" + answer + "\" — ожидается «е» или «ё»");
}

int PositiveInt(const TJson& item, const char* key, std::size_t index)
{
    const auto it = item.find(key);
    if (it == item.end() || !it->is_number_integer() || it->get<long long>() < 1
        || it->get<long long>() > 1'000'000'000)
        Malformed("вопрос " + std::to_string(index + 1) + ": нет целого положительного \"" + key + "\"");
    return static_cast<int>(it->get<long long>());
}

std::string Where(const TDecision& d)
{
    return "строка " + std::to_string(d.Line) + ", столбец " + std::to_string(d.Column);
}

// The word around column of line, or the character there, for a message.
std::string WordAt(const std::string& line, std::size_t column)
{
    std::size_t start = column;
    while (start > 0 && IsRussianLetter(line[start - 1]))
        --start;
    std::size_t end = column;
    while (end < line.size() && IsRussianLetter(line[end]))
        ++end;
    if (end == start)
        end = std::min(line.size(), column + 1);
    return line.substr(start, end - start);
}

bool WholeWordAt(const std::string& line, std::size_t column, const std::string& word)
{
    const std::size_t end = column + word.size();
    return column < line.size() && line.compare(column, word.size(), word) == 0
        && (column == 0 || !IsRussianLetter(line[column - 1]))
        && (end >= line.size() || !IsRussianLetter(line[end]));
}

// Where the word now stands nearest to its old line (within a few hundred
// lines), as "строка L, столбец C"; empty when it is nowhere near.
std::string NearestPlace(const MemoryDocument& doc, const TDecision& d)
{
    constexpr int Reach = 300;
    const int origin = std::min(d.Line - 1, doc.LineCount() - 1);
    for (int distance = 0; distance <= Reach; ++distance) {
        for (const int line : { origin - distance, origin + distance }) {
            if (line < 0 || line >= doc.LineCount() || (distance == 0 && line != origin))
                continue;
            const std::string text = doc.Line(line);
            for (std::size_t at = text.find(d.Word); at != std::string::npos;
                 at = text.find(d.Word, at + 1)) {
                if (WholeWordAt(text, at, d.Word))
                    return "строка " + std::to_string(line + 1) + ", столбец " + std::to_string(at + 1);
            }
        }
    }
    return {};
}

} // namespace

std::vector<TDecision> ParseDecisions(std::string_view json)
{
    TJson report;
    try {
        report = TJson::parse(json.begin(), json.end());
    } catch (const TJson::parse_error& e) {
        // Where it went wrong, in our own words: the parser's text is English
        // and about its own internals.
        const std::size_t at = std::min<std::size_t>(e.byte == 0 ? 0 : e.byte - 1, json.size());
        const std::size_t line
            = 1 + static_cast<std::size_t>(std::count(json.begin(), json.begin() + at, '\n'));
        Malformed("файл не разобран как JSON: ошибка в строке " + std::to_string(line) + " (байт "
            + std::to_string(at + 1) + ")");
    } catch (const TJson::exception&) {
        Malformed("файл не разобран как JSON");
    }
    if (!report.is_object() || !report.contains("questions") || !report["questions"].is_array())
        Malformed("нет списка \"questions\", как в отчёте --report");
    std::vector<TDecision> decisions;
    const TJson& questions = report["questions"];
    for (std::size_t i = 0; i < questions.size(); ++i) {
        const TJson& item = questions[i];
        if (!item.is_object())
            Malformed("вопрос " + std::to_string(i + 1) + " — не объект");
        TDecision d;
        d.Line = PositiveInt(item, "line", i);
        d.Column = PositiveInt(item, "column", i);
        const auto word = item.find("word");
        if (word == item.end() || !word->is_string() || word->get<std::string>().empty())
            Malformed("вопрос " + std::to_string(i + 1) + ": нет слова \"word\"");
        d.Word = Utf8ToCp1251(word->get<std::string>());
        const auto answer = item.find("answer");
        if (answer != item.end() && !answer->is_null()) {
            if (!answer->is_string())
                Malformed("вопрос " + std::to_string(i + 1) + ": ответ должен быть строкой");
            d.Answer = ParseAnswer(answer->get<std::string>(), i);
        }
        decisions.push_back(std::move(d));
    }
    return decisions;
}

TPlacedDecisions PlaceDecisions(const std::vector<TDecision>& decisions, const MemoryDocument& doc)
{
    TPlacedDecisions placed;
    for (const TDecision& d : decisions) {
        if (d.Answer == TAnswer::None)
            continue;
        if (d.Line > doc.LineCount()) {
            placed.Problems.push_back(Where(d) + ": в тексте нет такой строки; решение для «"
                + Cp1251ToUtf8(d.Word) + "» пропущено");
            continue;
        }
        const std::string line = doc.Line(d.Line - 1);
        const auto column = static_cast<std::size_t>(d.Column - 1);
        if (!WholeWordAt(line, column, d.Word)) {
            const std::string found
                = column < line.size() ? "«" + ForMessage(WordAt(line, column)) + "»" : "конец строки";
            const std::string near = NearestPlace(doc, d);
            placed.Problems.push_back(Where(d) + ": там уже не «" + Cp1251ToUtf8(d.Word) + "», а " + found
                + (near.empty() ? "" : " (ближайшее такое слово: " + near + ")") + "; решение пропущено");
            continue;
        }
        const int position = doc.LineStart(d.Line - 1) + d.Column - 1;
        placed.ByPosition[position] = d.Answer;
        placed.Sources[position] = d;
    }
    return placed;
}

TDecidingAsker::TDecidingAsker(const MemoryDocument& doc, TPlacedDecisions decisions, TCliAsker& others)
    : m_doc(doc)
    , m_decisions(std::move(decisions))
    , m_others(others)
{
}

TAnswer TDecidingAsker::Ask(const TQuestion& question)
{
    const int position = m_doc.SelStart();
    const auto it = m_decisions.ByPosition.find(position);
    if (it == m_decisions.ByPosition.end())
        return m_others.Ask(question);
    const TAnswer answer = it->second;
    m_decisions.ByPosition.erase(it);
    m_decisions.Sources.erase(position);
    TQuestionRecord record;
    const int line = m_doc.LineOf(position);
    record.Line = line + 1;
    record.Column = position - m_doc.LineStart(line) + 1;
    record.Word = m_doc.TextRef().substr(
        static_cast<std::size_t>(position), static_cast<std::size_t>(m_doc.SelLength()));
    record.Plain = question.PlainForm;
    record.Dotted = question.DottedForm;
    record.DefaultDotted = question.DefaultDotted;
    record.Caption = question.Caption;
    record.Answer = answer == TAnswer::Dotted ? "ё" : "е";
    m_decided.emplace_back(m_others.Records().size(), std::move(record));
    return answer;
}

std::vector<TQuestionRecord> TDecidingAsker::Records() const
{
    const std::vector<TQuestionRecord>& others = m_others.Records();
    std::vector<TQuestionRecord> all;
    all.reserve(others.size() + m_decided.size());
    std::size_t next = 0;
    for (const auto& [before, record] : m_decided) {
        for (; next < before; ++next)
            all.push_back(others[next]);
        all.push_back(record);
    }
    for (; next < others.size(); ++next)
        all.push_back(others[next]);
    return all;
}

namespace {

TPlacedDecisions ReadAndPlace(const std::string& path, const MemoryDocument& doc)
{
    // A report is a few hundred bytes per question; anything far beyond that
    // is not one.
    std::string json;
    try {
        json = ReadWholeFile(path);
    } catch (const EFileError& e) {
        throw ECliError(ExitInputOutput, "--decisions \"" + PathForMessage(path) + "\": " + e.Reason());
    }
    std::vector<TDecision> decisions;
    try {
        decisions = ParseDecisions(json);
    } catch (const ECliError& e) {
        // Named by the file, not only by the option.
        const std::string what = e.what();
        const std::string prefix = "--decisions: ";
        throw ECliError(e.ExitCode(),
            "--decisions \"" + PathForMessage(path)
                + "\": " + (what.compare(0, prefix.size(), prefix) == 0 ? what.substr(prefix.size()) : what));
    }
    TPlacedDecisions placed = PlaceDecisions(decisions, doc);
    PrintSummarised(placed.Problems, "--decisions \"" + PathForMessage(path) + "\": ");
    return placed;
}

} // namespace

TDecisionsStep::TDecisionsStep(const std::string& path, const MemoryDocument& doc, TCliAsker& others)
    : m_asker(doc, ReadAndPlace(path, doc), others)
    , m_prefix("--decisions \"" + PathForMessage(path) + "\": ")
{
}

bool TDecisionsStep::Finish() const
{
    std::vector<std::string> unused;
    for (const auto& [position, d] : m_asker.Unused())
        unused.push_back(Where(d) + ": о слове «" + Cp1251ToUtf8(d.Word)
            + "» проход не спрашивал (другой словарь или параметры?); решение не применено");
    PrintSummarised(unused, m_prefix);
    return m_asker.Misplaced() == 0 && m_asker.Unused().empty();
}

} // namespace tildo
