// A restoration pass over arbitrary text, with the options and the answers to
// its questions taken from the input too: no crash, no read or write outside
// the text, the text's length never changes, and every undo stays inside it.

#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/yoficator.h"
#include "fuzz_support.h"
#include "text/cp1251.h"
#include "text/memory_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

using namespace tildo;

using TFuzzUi = fuzz::TNullUi;

// Answers from the input's bytes, every code and some that are none; after a
// while only cancels, so that endless undo answers end.
class TFuzzAsker : public Asker
{
public:
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    std::size_t Next = 0;
    int Asked = 0;
    TAnswer Ask(const TQuestion& q) override
    {
        if (q.WordOffset < 0 || q.WordOffset + q.WordLength > static_cast<int>(q.Context.size()))
            std::abort();
        if (++Asked > 64 || Size == 0)
            return TAnswer::Cancel;
        static const TAnswer codes[] = { TAnswer::Plain, TAnswer::Dotted, TAnswer::AlwaysPlain,
            TAnswer::AlwaysDotted, TAnswer::Undo, TAnswer::Cancel, TAnswer::None };
        return codes[Data[Next++ % Size] % (sizeof codes / sizeof *codes)];
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const unsigned options = data[0] | (data[1] << 8);
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    TFuzzUi ui;
    using enum TCommand;
    const TCommand names[] = { Mark1, FastScroll1, CheckYo1, NoVarOnly1, VarOnly1, ProposeLast1, FBFormat1,
        CombiWords1, AlwaysAsk1 };
    for (int i = 0; i < 9; ++i)
        ui.SetCommandChecked(names[i], (options >> i) & 1);

    TBufferLimits limits;
    limits.WordsBufferLength = 1 + (options >> 9) % 4;
    TDic dic;
    dic.AddRule("", Cp("полёт"), "*", 1);
    dic.AddRule("*", Cp("рублёв"), "*", 0);
    dic.AddRule("*", Cp("съёмка"), "", 0);
    dic.AddForm(Cp("всё"), 1);
    dic.AddForm(Cp("ещё"), 0);
    dic.AddForm(Cp("трёхведёрный"), 0);
    dic.AddForm(Cp("чём"), 1);
    TCombiWordsDic combi(limits);
    for (const char* line : { "\\0 лет", "всё-таки", "о чём", "Тер-" })
        combi.AddCombination(Cp(line), ui);
    TWordBuffer window(limits);
    TFuzzAsker asker;
    asker.Data = data + 2;
    asker.Size = size - 2;

    MemoryDocument doc = MemoryDocument::FromCp1251(text);
    MemoryDocument pane;
    const int length = doc.Length();
    TYoficator engine(doc, ui, asker, dic, combi, window, limits);
    engine.SetWordPane(&pane);
    engine.DoYoficate(0, 1 + (options >> 12) % 4);
    if (doc.Length() != length || engine.Busy())
        std::abort();
    // Take back whatever the answers left, then collect.
    while (engine.UndoHistory().UndoAvailable())
        engine.UndoLast();
    if (doc.Length() != length)
        std::abort();
    engine.CollectNewDotted();
    if (doc.ToCp1251().size() != text.size() && text.find('\r') == std::string::npos)
        std::abort();
    return 0;
}
