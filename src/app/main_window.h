#pragma once

#include <string>
#include <vector>

namespace tildo {

struct TWindowGeometry
{
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TWindowGeometry&) const = default;
};

struct TScreenSize
{
    int Width = 0;
    int Height = 0;
};

// The editor font: face (UTF-8), character set and size in points. Its colour
// is always black.
struct TEditorFont
{
    // The sizes in points that stay readable and are painted in time: glyphs
    // of an absurd size are drawn as outlines, one by one, on every paint (a
    // size of 2^31 - 1 kept a 20 MB text's window painting for minutes).
    static constexpr int MinSize = 6;
    static constexpr int MaxSize = 72;

    std::string Name = "Courier New";
    int Charset = 1;
    int Size = 10;
    bool operator==(const TEditorFont&) const = default;
};

// The dictionary editor's split: the word pane's width when the splitter is
// vertical, its height otherwise.
struct TSplitLayout
{
    int Size = 90;
    bool Vertical = false;
    bool operator==(const TSplitLayout&) const = default;
};

// What the application shell needs of the main window beyond menu commands and
// message boxes (those are on UserInterface): its geometry, title, editor font,
// the recent-text entries of the "Файл" menu and the dictionary editor's split.
// Texts are as the platform gives them: the title and the recent entries are
// file-system paths.
class MainWindow
{
public:
    virtual ~MainWindow() = default;

    virtual TScreenSize ScreenSize() const = 0;
    virtual TWindowGeometry Geometry() const = 0;
    virtual void SetGeometry(const TWindowGeometry& geometry) = 0;

    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;

    virtual TEditorFont EditorFont() const = 0;
    virtual void SetEditorFont(const TEditorFont& font) = 0;

    // Shows the recent texts at the end of the "Файл" menu: below one
    // separator while the list is not empty, entry k with the shortcut Ctrl+k.
    virtual void SetRecentFiles(const std::vector<std::string>& paths) = 0;

    virtual TSplitLayout DicEditorLayout() const = 0;
    virtual void SetDicEditorLayout(const TSplitLayout& layout) = 0;
};

} // namespace tildo
