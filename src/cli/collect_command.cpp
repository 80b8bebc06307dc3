// tildo-cli collect: the words whose ё the dictionary does not confirm.

#include "batch/pass_setup.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "engine/yoficator.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tildo {

namespace {

// A collection run asks nothing; should it ever, the run stops.
class TCancellingAsker : public Asker
{
public:
    TAnswer Ask(const TQuestion&) override { return TAnswer::Cancel; }
};

// The word pane of a collection run: a list that grows at its end. A text
// document would rebuild its line table for every word added, which is
// quadratic in the number of words found in a large text.
class TWordListPane : public TextDocument
{
public:
    std::vector<std::string> Words;

    int LineCount() const override { return static_cast<int>(Words.size()); }
    std::string Line(int i) const override
    {
        return i >= 0 && i < LineCount() ? Words[static_cast<std::size_t>(i)] : std::string();
    }
    int LineStart(int i) const override
    {
        if (i < 0 || i >= LineCount())
            return -1;
        int offset = 0;
        for (int k = 0; k < i; ++k)
            offset += static_cast<int>(Words[static_cast<std::size_t>(k)].size()) + 1;
        return offset;
    }
    int LineOf(int offset) const override
    {
        for (int k = 0; k < LineCount(); ++k) {
            offset -= static_cast<int>(Words[static_cast<std::size_t>(k)].size()) + 1;
            if (offset < 0)
                return k;
        }
        return std::max(LineCount() - 1, 0);
    }
    std::string Text() const override
    {
        std::string text;
        for (std::size_t k = 0; k < Words.size(); ++k) {
            if (k > 0)
                text += '\n';
            text += Words[k];
        }
        return text;
    }
    int Length() const override { return static_cast<int>(Text().size()); }
    void Select(int, int) override { }
    int SelStart() const override { return 0; }
    int SelLength() const override { return 0; }
    void ReplaceSelection(const std::string&) override { }
    TColour SelectionColour() const override { return ColourBlack; }
    void SetSelectionColour(TColour) override { }
    void SetSelectionBackground(TColour) override { }
    void ScrollToCaret() override { }
    void SetReadOnly(bool) override { }
    bool IsReadOnly() const override { return false; }
    void SetBusyCursor(bool) override { }
    void Focus() override { }
    void SetText(const std::string& text) override { Words.assign(1, text); }
    void InsertLine(int i, const std::string& text) override
    {
        Words.insert(Words.begin() + std::clamp(i, 0, LineCount()), text);
    }
    void ReplaceLine(int i, const std::string& text) override
    {
        if (i >= 0 && i < LineCount())
            Words[static_cast<std::size_t>(i)] = text;
    }
    void DeleteLine(int i) override
    {
        if (i >= 0 && i < LineCount())
            Words.erase(Words.begin() + i);
    }
};

} // namespace

int RunCollect(const TPassCommandOptions& options)
{
    TPassSession session(options);
    TInputText& input = session.Input;
    TCancellingAsker asker;
    TYoficator engine(
        input.Document, session.Ui, asker, session.Dic, session.Combi, session.Window, session.Limits);
    TWordListPane pane;
    engine.SetWordPane(&pane);
    input.Document.Select(0, 0);
    engine.CollectNewDotted();

    std::string out;
    for (const std::string& word : pane.Words) {
        if (word.empty())
            continue;
        out += input.ForList(word);
        out += '\n';
    }
    WriteStandardOutput(out);
    WriteAllTo(2, ForMessage(session.Ui.StatusText()) + "\n", "stderr");
    return ExitDone;
}

} // namespace tildo
