#pragma once

#include <string>
#include <vector>

namespace tildo {

class TCombiWordsDic;
class TDic;
class UserInterface;
struct TSettings;

// "Загрузить основной словарь": the open dialog starts in the program
// directory with the current dictionary proposed. A chosen file that exists
// becomes the dictionary path and is loaded; one that does not is reported and
// the old dictionary stays. True when a dictionary was loaded.
bool OpenMainDictionary(TDic& dic, TSettings& settings, UserInterface& ui);
// "Загрузить словарь словосочетаний": the same for the combination dictionary;
// a loaded one also turns "Анализ словосочетаний" on.
bool OpenCombiDictionary(TCombiWordsDic& combi, TSettings& settings, UserInterface& ui);

// The about box's lines (CP1251): the version, then each dictionary's file
// name and size with the Russian count endings.
std::vector<std::string> AboutLines(const std::string& version, const TDic& dic, const TCombiWordsDic& combi);

// One answer of the number dialog.
struct TNumberVerdict
{
    enum TKind { NotInteger, OutOfBounds, Accepted };
    TKind Kind = NotInteger;
    int Value = 0;
};
// A whole decimal number (blanks around it allowed, no other characters) and
// whether it lies within low..high; bounds with low above high take nothing.
TNumberVerdict CheckNumber(const std::string& text, int low, int high);
// The number dialog's title after an entry out of bounds: "%d <= x <= %d".
std::string BoundsTitle(int low, int high);

} // namespace tildo
