#pragma once

#include "formats/styled_text.h"

#include <string>

namespace tildo {

// Writes styled text as RTF that word processors read with the same text,
// colours, background, bold, italic, underline, size and font: every non-ASCII
// character as \uN with its CP1251 byte (or '?') as the fallback, each line
// break as \par. Characters without a font get defaultFont.
std::string WriteRtf(const TStyledText& text, const std::string& defaultFont = "Courier New");

} // namespace tildo
