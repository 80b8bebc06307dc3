// The settings reader on arbitrary bytes: it must not crash, and once its
// values have been written into the file, writing and reading them again must
// change nothing. (The first write may still change a value: the file format
// cannot hold blanks at the ends of a value.)
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
    return a.Checks == b.Checks && a.Geometry == b.Geometry
        && a.FloatingAskFormYShift == b.FloatingAskFormYShift && a.Font == b.Font
        && a.Dictionary == b.Dictionary && a.CombiDictionary == b.CombiDictionary
        && a.LinesBelow == b.LinesBelow && a.ContextAddLetters == b.ContextAddLetters
        && a.TextDirectory == b.TextDirectory && a.ButtonHotKeys == b.ButtonHotKeys && a.Split == b.Split
        && a.LastFileN == b.LastFileN && a.WordsBufferLength == b.WordsBufferLength
        && a.CombiLog == b.CombiLog;
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
    auto cycle = [&screen](tildo::TIniFile& file) {
        tildo::TSettingsValues values;
        tildo::ReadSettingsValues(file, screen, tildo::PortableLocations("/opt/tildo"), values);
        tildo::WriteSettingsValues(values, true, file);
        file.LoadFromText(file.SaveToText());
        return values;
    };
    cycle(ini);
    const tildo::TSettingsValues second = cycle(ini);
    const tildo::TSettingsValues third = cycle(ini);
    if (!Same(second, third))
        std::abort();
    return 0;
}
