// The settings reader on arbitrary bytes: it must not crash, and what it reads
// must come back unchanged after it has been written into the same file and
// the file read again.
#include "app/ini_file.h"
#include "app/settings.h"
#include "platform/file_io.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool Same(const tildo::TSettingsValues& a, const tildo::TSettingsValues& b)
{
    if (a.Recent.size() != b.Recent.size())
        return false;
    for (std::size_t k = 0; k < a.Recent.size(); ++k) {
        if (a.Recent[k].Path != b.Recent[k].Path || a.Recent[k].Position != b.Recent[k].Position)
            return false;
    }
    return a.Checks == b.Checks && a.Geometry == b.Geometry && a.FloatingAskFormYShift == b.FloatingAskFormYShift
        && a.Font == b.Font && a.Dictionary == b.Dictionary && a.CombiDictionary == b.CombiDictionary
        && a.LinesBelow == b.LinesBelow && a.ContextAddLetters == b.ContextAddLetters
        && a.TextDirectory == b.TextDirectory && a.ButtonHotKeys == b.ButtonHotKeys && a.Split == b.Split
        && a.LastFileN == b.LastFileN && a.WordsBufferLength == b.WordsBufferLength && a.CombiLog == b.CombiLog;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tildo::TIniFile ini;
    try {
        ini.LoadFromText(input);
    } catch (const tildo::EFileError&) {
        return 0;
    }
    const tildo::TScreenSize screen { 1920, 1080 };
    tildo::TSettingsValues first;
    tildo::ReadSettingsValues(ini, screen, "/opt/tildo", first);
    tildo::WriteSettingsValues(first, true, ini);
    tildo::TIniFile reread;
    reread.LoadFromText(ini.SaveToText());
    tildo::TSettingsValues second;
    tildo::ReadSettingsValues(reread, screen, "/opt/tildo", second);
    if (!Same(first, second))
        std::abort();
    return 0;
}
