#pragma once

#include "app/document_editor.h"
#include "app/main_window.h"
#include "app/shell_hooks.h"
#include "formats/styled_text.h"
#include "text/memory_document.h"

#include <functional>
#include <string>
#include <vector>

namespace tildo::test {

// A main window that keeps what it is told.
class TFakeWindow : public MainWindow
{
public:
    TScreenSize Screen { 1600, 1200 };
    TWindowGeometry Geom;
    std::string TitleText;
    TEditorFont Font;
    std::vector<std::string> RecentMenu;
    int RecentMenuUpdates = 0;
    TSplitLayout Split;

    TScreenSize ScreenSize() const override { return Screen; }
    TWindowGeometry Geometry() const override { return Geom; }
    void SetGeometry(const TWindowGeometry& geometry) override { Geom = geometry; }
    std::string Title() const override { return TitleText; }
    void SetTitle(const std::string& title) override { TitleText = title; }
    TEditorFont EditorFont() const override { return Font; }
    void SetEditorFont(const TEditorFont& font) override { Font = font; }
    void SetRecentFiles(const std::vector<std::string>& paths) override
    {
        RecentMenu = paths;
        ++RecentMenuUpdates;
    }
    TSplitLayout DicEditorLayout() const override { return Split; }
    void SetDicEditorLayout(const TSplitLayout& layout) override { Split = layout; }
};

// An editor over a MemoryDocument. Formatting other than colours survives
// through the styled text it was given; in plain-text mode none is kept.
class TMemoryEditor : public DocumentEditor
{
public:
    MemoryDocument Doc;
    bool Rich = false;
    bool Wrap = false;
    std::function<void()> OnChange; // the editor's change notification

    TextDocument& Document() override { return Doc; }
    const TextDocument& Document() const override { return Doc; }
    bool IsRichText() const override { return Rich; }
    void SetRichText(bool rich) override { Rich = rich; }
    void SetContent(const TStyledText& text) override
    {
        m_original = text;
        Doc = StyledToMemory(text);
        if (OnChange)
            OnChange();
    }
    TStyledText Content() const override
    {
        const TStyledText styled = MemoryToStyled(Doc, m_original);
        if (Rich)
            return styled;
        TStyledText plain;
        plain.Append(styled.PlainText(), TCharFormat {});
        return plain;
    }
    void SetWordWrap(bool wrap) override { Wrap = wrap; }
    // Types text at the caret, as a user would.
    void Type(const std::string& cp1251)
    {
        Doc.ReplaceSelection(cp1251);
        if (OnChange)
            OnChange();
    }

private:
    TStyledText m_original;
};

// Records what the shell asks of the parts it does not own.
class TFakeHooks : public ShellHooks
{
public:
    bool Busy = false;
    std::vector<std::string> Calls;
    bool MorphsLoad = true;

    bool IsBusy() const override { return Busy; }
    void RefreshCommands() override { Calls.push_back("RefreshCommands"); }
    void ClearUndo() override { Calls.push_back("ClearUndo"); }
    void ResetStatistics() override { Calls.push_back("ResetStatistics"); }
    bool LoadMorphs(const std::string& path) override
    {
        Calls.push_back("LoadMorphs " + path);
        return MorphsLoad;
    }
    void BindCombiLog(const std::string& path) override { Calls.push_back("BindCombiLog " + path); }
    void PrepareTestingMode() override { Calls.push_back("PrepareTestingMode"); }
    void LoadTestDictionaries(TDic&, TCombiWordsDic&) override { Calls.push_back("LoadTestDictionaries"); }
    int Count(const std::string& call) const
    {
        int n = 0;
        for (const auto& c : Calls)
            n += c == call ? 1 : 0;
        return n;
    }
};

} // namespace tildo::test
