#include "tildo/restorer.h"

#include "batch/cli_user_interface.h"
#include "batch/messages.h"
#include "batch/pass_setup.h"
#include "batch/question_log.h"
#include "batch/restore_job.h"
#include "batch/run_options.h"
#include "batch/text_input.h"
#include "engine/yoficator.h"
#include "formats/json_record.h"
#include "platform/file_io.h"
#include "text/cp1251.h"

#include <chrono>
#include <mutex>

namespace tildo {

namespace {

TPassCommandOptions CommandOptions(const TRestorerOptions& o)
{
    TPassCommandOptions c;
    c.Dictionary = o.Dictionary;
    c.Combinations = o.Combinations;
    c.On = o.On;
    c.Off = o.Off;
    c.ContextDataDirectory = o.DataDirectory;
    return c;
}

std::string Utf8(std::string_view cp1251)
{
    return Cp1251ToUtf8(cp1251);
}

// The pass's interface, through which the engine asks now and then whether
// to stop (as the window asks whether Esc was pressed): the caller's stop
// check, asked at most every StopInterval.
class TStoppableUserInterface : public TCliUserInterface
{
public:
    void Begin(const TRestorerStop* stop)
    {
        // The count and the clock go on from call to call, so that many
        // short texts (records of a piece) are asked about too.
        m_stop = stop;
        m_stopped = false;
    }
    bool Stopped() const { return m_stopped; }
    bool IsEscPressed() override
    {
        if (m_stop == nullptr || !*m_stop || m_stopped)
            return m_stopped;
        // The clock is read once in many calls: a call per word must stay cheap.
        if (++m_calls % 256 != 0)
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now - m_last < StopInterval)
            return false;
        m_last = now;
        m_stopped = (*m_stop)();
        return m_stopped;
    }

private:
    static constexpr std::chrono::milliseconds StopInterval { 50 };
    const TRestorerStop* m_stop = nullptr;
    bool m_stopped = false;
    unsigned m_calls = 0;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

} // namespace

// One pass's own objects, kept between calls so that a short text costs no
// setting up; a call takes one from the pool and gives it back.
struct TRestorerPass
{
    TRestorerPass(const TSharedDictionaries& d, const TRestorerOptions& o)
        : Window(d.Limits)
        , Asker(Doc, {}, TUnanswered::Keep)
    {
        SetPassOptions(Ui, o.On, o.Off, false, d.Combinations);
        DicState.Reset(d.Dic.FormCount(), d.Dic.RuleCount());
        CombiState.Reset(d.Combi.Count());
        Engine = std::make_unique<TYoficator>(
            Doc, Ui, Asker, d.Dic, d.Combi, DicState, CombiState, Window, d.Limits);
        Engine->DictionariesFixed = true;
        if (d.Context) {
            Judge = std::make_unique<TContextJudge>(d.Tags, d.Rare);
            Engine->SetContextJudge(Judge.get());
        }
    }

    // Restores doc in place; questions (if asked for) get the pass's questions.
    // A pass the stop check stopped throws ERestorerInterrupted.
    void Run(MemoryDocument& text, std::vector<TRestorerQuestion>* questions, const TRestorerStop& stop = {})
    {
        std::swap(Doc, text);
        Asker.ClearRecords();
        Asker.KeepRecords(questions != nullptr);
        Ui.Begin(&stop);
        Engine->DoYoficate(0, 1);
        const bool stopped = Ui.Stopped();
        Ui.Begin(nullptr);
        std::swap(Doc, text);
        if (stopped)
            throw ERestorerInterrupted();
        if (questions == nullptr)
            return;
        for (const TQuestionRecord& r : Asker.Records())
            questions->push_back({ r.Line, r.Column, Utf8(r.Word), Utf8(r.Plain), Utf8(r.Dotted),
                r.DefaultDotted, Utf8(r.Caption) });
    }

    TStoppableUserInterface Ui;
    TDicRunState DicState;
    TCombiRunState CombiState;
    TWordBuffer Window;
    MemoryDocument Doc;
    TCliAsker Asker;
    std::unique_ptr<TContextJudge> Judge;
    std::unique_ptr<TYoficator> Engine;
};

struct TRestorer::TImpl
{
    explicit TImpl(const TRestorerOptions& o)
        : Options(o)
        , Command(CommandOptions(o))
        , Dictionaries(Command)
    {
        // An unknown option name is found now rather than at the first text.
        TRestorerPass check(Dictionaries, Options);
    }

    // A pass from the pool, returned to it when the holder ends.
    class THeld
    {
    public:
        explicit THeld(TImpl& impl)
            : m_impl(impl)
        {
            {
                const std::lock_guard lock(impl.PoolMutex);
                if (!impl.Pool.empty()) {
                    m_pass = std::move(impl.Pool.back());
                    impl.Pool.pop_back();
                }
            }
            if (m_pass == nullptr)
                m_pass = std::make_unique<TRestorerPass>(impl.Dictionaries, impl.Options);
        }
        ~THeld()
        {
            const std::lock_guard lock(m_impl.PoolMutex);
            m_impl.Pool.push_back(std::move(m_pass));
        }
        THeld(const THeld&) = delete;
        THeld& operator=(const THeld&) = delete;
        TRestorerPass& operator*() { return *m_pass; }
        TRestorerPass* operator->() { return m_pass.get(); }

    private:
        TImpl& m_impl;
        std::unique_ptr<TRestorerPass> m_pass;
    };

    TRestorerOptions Options;
    TPassCommandOptions Command;
    TSharedDictionaries Dictionaries;
    std::mutex PoolMutex;
    std::vector<std::unique_ptr<TRestorerPass>> Pool;
};

TRestorer::TRestorer(const TRestorerOptions& options)
{
    try {
        m_impl = std::make_unique<TImpl>(options);
    } catch (const ECliError& e) {
        throw ERestorerError(e.what());
    } catch (const EFileError& e) {
        throw ERestorerError(e.Path() + ": " + e.Reason());
    }
}

TRestorer::~TRestorer() = default;

std::string TRestorer::Restore(std::string_view text, const TRestorerStop& stop) const
{
    TImpl::THeld pass(*m_impl);
    MemoryDocument doc = MemoryDocument::FromUtf8(text);
    pass->Run(doc, nullptr, stop);
    return doc.ToUtf8();
}

std::string TRestorer::Restore(
    std::string_view text, std::vector<TRestorerQuestion>& questions, const TRestorerStop& stop) const
{
    questions.clear();
    TImpl::THeld pass(*m_impl);
    MemoryDocument doc = MemoryDocument::FromUtf8(text);
    pass->Run(doc, &questions, stop);
    return doc.ToUtf8();
}

std::string TRestorer::RestoreFileBytes(std::string_view bytes, const TRestorerStop& stop) const
{
    // Changing "letters" in binary data would only damage it.
    if (bytes.find('\0') != std::string_view::npos)
        throw std::invalid_argument("not a text: it holds zero bytes");
    if (DetectTextEncoding(bytes) == TTextEncoding::Utf8)
        return Restore(bytes, stop);
    TImpl::THeld pass(*m_impl);
    MemoryDocument doc = MemoryDocument::FromCp1251(bytes);
    pass->Run(doc, nullptr, stop);
    return doc.ToCp1251();
}

std::string TRestorer::RestoreJsonRecord(std::string_view record, std::string_view field) const
{
    const std::vector<std::string> path = SplitFieldPath(field);
    if (path.empty())
        throw std::invalid_argument("empty field name in \"" + std::string(field) + "\"");
    TImpl::THeld pass(*m_impl);
    std::string out(record);
    std::string error;
    if (!tildo::RestoreJsonRecord(
            out, path, [&](MemoryDocument& doc) { pass->Run(doc, nullptr); }, error))
        throw std::invalid_argument(error);
    return out;
}

std::string TRestorer::RestoreJsonLines(
    std::string_view lines, std::string_view field, const TRestorerStop& stop) const
{
    const std::vector<std::string> path = SplitFieldPath(field);
    if (path.empty())
        throw std::invalid_argument("empty field name in \"" + std::string(field) + "\"");
    TImpl::THeld pass(*m_impl);
    const auto restore = [&](MemoryDocument& doc) { pass->Run(doc, nullptr, stop); };
    std::string out;
    out.reserve(lines.size() + lines.size() / 16);
    std::string record;
    std::string error;
    std::size_t lineNumber = 0;
    std::size_t begin = 0;
    while (begin < lines.size()) {
        std::size_t end = lines.find('\n', begin);
        const bool hasBreak = end != std::string_view::npos;
        if (!hasBreak)
            end = lines.size();
        ++lineNumber;
        record.assign(lines, begin, end - begin);
        // Blank lines pass through, as tildo-cli --jsonl passes them.
        if (record.find_first_not_of(" \t\r") != std::string::npos
            && !tildo::RestoreJsonRecord(record, path, restore, error))
            throw std::invalid_argument("line " + std::to_string(lineNumber) + ": " + error);
        out += record;
        if (hasBreak)
            out += '\n';
        begin = end + 1;
    }
    return out;
}

} // namespace tildo
