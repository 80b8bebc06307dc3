#pragma once

#include "app/documents.h"
#include "app/lifecycle.h"
#include "app_fakes.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "dict/my_lists.h"
#include "platform/file_io.h"
#include "support/recording_ui.h"

#include <memory>

namespace tildo::test {

// The whole shell over fakes, in a scratch program directory.
struct TShell
{
    TShell()
    {
        editor.OnChange = [this] { documents.EditorChanged(); };
    }

    std::string Ini() const { return dir.Path() + "/tildo.ini"; }
    std::string ReadIni() const { return ReadWholeFile(Ini()); }
    void Start(const std::vector<std::string>& args = {})
    {
        lifecycle.Initialise(args, dir.Path());
        lifecycle.DeferredStart();
    }
    void Exit()
    {
        if (lifecycle.CloseQuery())
            lifecycle.Close();
    }

    TTempDir dir;
    TRecordingUi ui;
    TFakeWindow window;
    TMemoryEditor editor;
    TFakeHooks hooks;
    TDocuments documents { ui, window, editor, hooks };
    TBufferLimits limits;
    TDic dic;
    TCombiWordsDic combi { limits };
    TLifecycle lifecycle { TShellParts { ui, window, editor, documents, hooks, dic, combi, limits } };
};

} // namespace tildo::test
