#pragma once

#include "support/recording_ui.h"
#include "text/memory_document.h"
#include "tools/dic_editor.h"
#include "tools/dic_lines.h"
#include "tools/morph_form.h"
#include "tools/morpho_gen.h"

#include <functional>
#include <string>
#include <vector>

namespace tildo::test {

// CP1251 lines of UTF-8 literals, and back.
inline TStringList Ws(const std::vector<std::string>& utf8)
{
    TStringList lines;
    for (const auto& line : utf8)
        lines.push_back(W(line));
    return lines;
}

inline std::vector<std::string> Us(const TStringList& cp1251)
{
    std::vector<std::string> lines;
    for (const auto& line : cp1251)
        lines.push_back(U(line));
    return lines;
}

inline std::vector<std::string> PaneUtf8(const TextDocument& doc)
{
    return Us(PaneLines(doc));
}

inline void SetPane(TextDocument& doc, const std::vector<std::string>& utf8Lines)
{
    SetPaneLines(doc, Ws(utf8Lines));
}

// The word-form dialog played by a script.
class TScriptedMorphDialog : public MorphDialog
{
public:
    std::function<bool(TMorphForm&)> Script = [](TMorphForm&) { return true; };
    std::vector<std::string> SeenTitles; // UTF-8, of the last run
    int Runs = 0;

    bool Execute(TMorphForm& form) override
    {
        ++Runs;
        SeenTitles = Us(form.WordTypes());
        return Script(form);
    }
};

// An editor over two in-memory panes, a program directory with its working
// directory, and a main window that records reloads.
struct TEditorFixture
{
    TTempDir Dir;
    MemoryDocument Dic;
    MemoryDocument Word;
    TRecordingUi Ui;
    TBufferLimits Limits;
    TMorphoGen Morphs;
    TScriptedMorphDialog Dialog;
    std::string CurrentDic;
    std::string CurrentCombi;
    int DicReloads = 0;
    int CombiReloads = 0;
    TDicEditor Editor;

    TEditorFixture()
        : Editor(Dic, Word, Ui, Setup())
    {
    }

    TDicEditorSetup Setup()
    {
        TDicEditorSetup setup;
        setup.ProgramDir = Dir.Path();
        setup.WorkDir = Dir.Path();
        setup.Limits = &Limits;
        setup.Morphs = &Morphs;
        setup.Dialog = &Dialog;
        setup.Links.CurrentDicPath = [this] { return CurrentDic; };
        setup.Links.CurrentCombiDicPath = [this] { return CurrentCombi; };
        setup.Links.ReloadDic = [this] { ++DicReloads; };
        setup.Links.ReloadCombiDic = [this] { ++CombiReloads; };
        return setup;
    }

    std::string Status() const { return U(Ui.StatusText()); }
    std::string Path(const std::string& name) const { return Dir.Path() + "/" + name; }
    // A CP1251 dictionary file with CR LF line ends, from UTF-8 lines.
    std::string WriteDic(const std::string& name, const std::vector<std::string>& utf8Lines) const
    {
        return Dir.Write(name, DicFileBytes(Ws(utf8Lines)));
    }
};

} // namespace tildo::test
