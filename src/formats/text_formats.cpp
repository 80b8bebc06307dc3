#include "text_formats.h"

#include "formats/rtf_reader.h"
#include "text/letters.h"

namespace tildo {

TTextFormat TextFormatOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return TTextFormat::Plain;
    const std::string ext = ToUpper(name.substr(dot));
    if (ext.substr(0, 4) == ".RTF")
        return TTextFormat::Rtf;
    if (ext == ".FB2")
        return TTextFormat::FictionBook;
    return TTextFormat::Plain;
}

TLoadedText DecodeText(std::string_view bytes, TTextFormat format)
{
    TLoadedText out;
    if (format == TTextFormat::Rtf) {
        out.Rich = true;
        if (LooksLikeRtf(bytes)) {
            out.Content = ReadRtf(bytes, out.Losses);
            return out;
        }
    }
    const TPlainText plain
        = format == TTextFormat::FictionBook ? ReadFictionBook(bytes) : ReadPlainText(bytes);
    out.PlainStyle = PlainTextStyleOf(bytes, plain.Encoding);
    out.Content = MemoryToStyled(plain.Document);
    return out;
}

} // namespace tildo
