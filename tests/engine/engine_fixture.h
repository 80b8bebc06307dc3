#pragma once

#include "engine/yoficator.h"
#include "support/recording_ui.h"
#include "support/scripted_asker.h"
#include "text/cp1251.h"
#include "text/memory_document.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace tildo::test {

// An engine over an in-memory text, a recording desktop and a scripted asker.
// Dictionary lines and texts are given in UTF-8.
struct TEngineFixture : ::testing::Test
{
    TRecordingUi ui;
    TScriptedAsker asker;
    TBufferLimits limits;
    TDic dic;
    TCombiWordsDic combi { limits };
    TWordBuffer window { limits };
    MemoryDocument doc;
    TYoficator engine { doc, ui, asker, dic, combi, window, limits };

    // Dictionary lines as in the file: "всё?", "ещё", "*съёмка".
    void Dictionary(std::initializer_list<const char*> lines)
    {
        for (const char* utf8 : lines) {
            const std::string line = W(utf8);
            const TDicLine parsed = ParseDicLine(line);
            if (parsed.IsRule)
                dic.AddRule(
                    parsed.StarBefore ? "*" : "", parsed.Body, parsed.StarAfter ? "*" : "", parsed.Variant);
            else
                dic.AddForm(parsed.Body, parsed.Variant);
        }
    }
    void Combinations(std::initializer_list<const char*> lines)
    {
        for (const char* utf8 : lines)
            combi.AddCombination(W(utf8), ui);
        ui.Checked["CombiWords1"] = true;
    }
    void Text(const char* utf8) { doc.SetText(W(utf8)); }
    std::string Result() const { return U(doc.Text()); }
    void Option(const char* name, bool on = true) { ui.Checked[name] = on; }
    int FormIndex(const char* utf8) const { return dic.FindForm(FoldDottedE(W(utf8))); }
    // A whole pass from the start, as "Ёфицировать с начала текста".
    void Pass() { engine.DoYoficate(0, 1); }
    void Answers(std::initializer_list<TAnswer> codes) { asker.Answers.insert(asker.Answers.end(), codes); }
    std::string Status() const { return U(ui.StatusText()); }
};

} // namespace tildo::test
