#pragma once

#include "formats/plain_text_format.h"
#include "formats/rtf_losses.h"
#include "formats/styled_text.h"

#include <string>
#include <string_view>

namespace tildo {

enum class TTextFormat { Plain, Rtf, FictionBook };

// The format a file name stands for. Its extension (from the last dot of the
// file name), upper-cased and cut to four characters, is ".RTF" for rich text,
// so .rtf, .Rtf and .rtfx all count; ".FB2" is FictionBook; the rest is plain.
TTextFormat TextFormatOf(std::string_view path);

// A text file read for the editor.
struct TLoadedText
{
    TStyledText Content;
    bool Rich = false; // shown as rich text
    TPlainTextStyle PlainStyle; // how to write it back as plain text
    TRtfLosses Losses; // what an RTF file holds that the text does not
};

// Reads a file's bytes as the given format. RTF that turns out not to be RTF
// at all is shown as plain text, as a rich editor does.
TLoadedText DecodeText(std::string_view bytes, TTextFormat format);

} // namespace tildo
