#include "rtf_losses.h"

#include <unordered_map>

namespace tildo {

const char* RtfLossName(TRtfLoss kind)
{
    switch (kind) {
    case TRtfLoss::Pictures:
        return "рисунки";
    case TRtfLoss::Objects:
        return "встроенные объекты и фигуры";
    case TRtfLoss::Footnotes:
        return "сноски";
    case TRtfLoss::HeadersFooters:
        return "колонтитулы";
    case TRtfLoss::Hyperlinks:
        return "гиперссылки (останется только их текст)";
    case TRtfLoss::Fields:
        return "вычисляемые поля: номера страниц, даты, оглавления";
    case TRtfLoss::Comments:
        return "примечания";
    case TRtfLoss::Bookmarks:
        return "закладки";
    case TRtfLoss::Tables:
        return "таблицы (ячейки станут текстом через табуляцию)";
    case TRtfLoss::Lists:
        return "нумерация и маркеры списков";
    case TRtfLoss::PageSetup:
        return "параметры страницы: размер, поля, ориентация, колонки";
    case TRtfLoss::PageBreaks:
        return "разрывы страниц и разделов";
    case TRtfLoss::Paragraphs:
        return "выравнивание, отступы и интервалы абзацев";
    case TRtfLoss::Borders:
        return "рамки и заливка абзацев";
    case TRtfLoss::Styles:
        return "стили";
    case TRtfLoss::CharacterFormat:
        return "зачёркивание, верхние и нижние индексы и другое оформление символов";
    case TRtfLoss::HiddenText:
        return "скрытый текст (он станет видимым)";
    case TRtfLoss::Revisions:
        return "записанные исправления";
    case TRtfLoss::DocumentInfo:
        return "свойства документа: название, автор";
    }
    return "";
}

const TRtfLossWord* FindRtfLossWord(std::string_view word)
{
    using enum TRtfLoss;
    using R = TRtfLossRule;
    static const std::unordered_map<std::string_view, TRtfLossWord> words = [] {
        std::unordered_map<std::string_view, TRtfLossWord> w;
        const auto add = [&w](std::initializer_list<std::string_view> names, TRtfLoss kind, R rule) {
            for (const std::string_view name : names)
                w.emplace(name, TRtfLossWord { kind, rule });
        };
        add({ "pict", "shppict", "nonshppict" }, Pictures, R::Destination);
        add({ "object", "shp", "shpgrp", "do" }, Objects, R::Destination);
        add({ "footnote" }, Footnotes, R::Destination);
        add({ "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf" },
            HeadersFooters, R::Destination);
        add({ "annotation", "atnid", "atnref", "atrfstart" }, Comments, R::Destination);
        add({ "bkmkstart" }, Bookmarks, R::Destination);
        add({ "listtext", "pntext", "pn" }, Lists, R::Destination);
        add({ "txe", "xe", "tc", "rxe" }, Fields, R::Destination);
        add({ "fldinst" }, Fields, R::FieldInstruction);
        add({ "info" }, DocumentInfo, R::Info);
        add({ "title", "subject", "author", "operator", "keywords", "comment", "doccomm", "company",
                "manager", "category", "hlinkbase" },
            DocumentInfo, R::InfoItem);
        add({ "trowd" }, Tables, R::Document);
        add({ "paperw", "paperh", "margl", "margr", "margt", "margb", "landscape", "gutter", "pgwsxn",
                "pghsxn", "marglsxn", "margrsxn", "margtsxn", "margbsxn", "guttersxn", "lndscpsxn" },
            PageSetup, R::Document);
        add({ "cols" }, PageSetup, R::Columns);
        add({ "page", "column", "sect" }, PageBreaks, R::Document);
        add({ "pagebb" }, PageBreaks, R::Paragraph);
        add({ "qc", "qr", "qj", "qd", "qt", "li", "ri", "fi", "lin", "rin", "sb", "sa", "sl", "tx", "tb" },
            Paragraphs, R::Paragraph);
        add({ "brdrt", "brdrb", "brdrl", "brdrr", "brdrbtw", "brdrbar", "box", "shading", "cbpat" }, Borders,
            R::Paragraph);
        add({ "s" }, Styles, R::Paragraph);
        add({ "ls" }, Lists, R::Paragraph);
        add({ "intbl" }, Tables, R::Paragraph);
        add({ "cs" }, Styles, R::Character);
        add({ "strike", "striked", "super", "sub", "up", "dn", "scaps", "caps", "outl", "shad", "embo",
                "impr", "expnd", "expndtw" },
            CharacterFormat, R::Character);
        add({ "v" }, HiddenText, R::Character);
        add({ "revised", "deleted" }, Revisions, R::Character);
        add({ "pard" }, Paragraphs, R::ResetParagraph);
        add({ "plain" }, CharacterFormat, R::ResetCharacter);
        return w;
    }();
    const auto it = words.find(word);
    return it == words.end() ? nullptr : &it->second;
}

} // namespace tildo
