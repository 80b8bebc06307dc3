#pragma once

#include "formats/rtf_losses.h"
#include "formats/styled_text.h"

#include <stdexcept>
#include <string_view>

namespace tildo {

// The input is not RTF at all.
class ERtfError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Reads RTF into styled text: the text of the document body with its text and
// background colours, bold, italic, underline, size and font. Characters are
// decoded from \uN (with \ucN fallbacks skipped), from \'hh and raw bytes in
// the font's or the document's code page. Headers, pictures, fields'
// instructions and other destinations that carry no body text are skipped.
// Damaged input (unbalanced braces, a truncated file, groups nested too deep)
// gives the text that can be recovered; only input that does not begin with
// "{\rtf" is refused with ERtfError. Time and memory are linear in the input.
TStyledText ReadRtf(std::string_view rtf);
// The same, also telling which kinds of content the text could not hold:
// pictures, footnotes, headers, hyperlinks, page setup, paragraph formatting
// and the like, found in the body or in its groups but not inside groups that
// are skipped anyway (a picture inside a header counts as a header). A
// property counts only where text is written under it.
TStyledText ReadRtf(std::string_view rtf, TRtfLosses& losses);

// True when the bytes begin like an RTF file.
bool LooksLikeRtf(std::string_view bytes);

} // namespace tildo
