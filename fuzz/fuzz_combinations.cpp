// Feeds arbitrary bytes to the combination dictionary's loader as a file, then
// matches candidates built from its own lines, with digits and case changed.
#include "dict/combination_dictionary.h"
#include "fuzz_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tildo::fuzz::TNullUi ui;
    tildo::fuzz::TScratchFile file(data, size);
    tildo::TBufferLimits limits;
    tildo::TCombiWordsDic dic(limits);
    dic.FileName = file.Path();
    dic.ReadCombiDic(ui);
    for (std::size_t i = 0; i < dic.Texts.size() && i < 64; ++i) {
        dic.FindCombination(dic.Texts[i]);
        dic.FindCombination(tildo::ToUpper(dic.Texts[i]));
        dic.FindCombination("12 " + dic.Texts[i]);
    }
    dic.FindCombination("");
    return 0;
}
