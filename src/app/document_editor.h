#pragma once

#include "formats/styled_text.h"
#include "platform/text_document.h"

namespace tildo {

// The main window's editor as the document commands see it: the text addressed
// as a TextDocument, its mode (rich text or plain text), its whole content with
// formatting, and word wrap. In plain-text mode the content's formatting is
// not shown and comes back as the editor's defaults.
class DocumentEditor
{
public:
    virtual ~DocumentEditor() = default;

    virtual TextDocument& Document() = 0;
    virtual const TextDocument& Document() const = 0;
    virtual bool IsRichText() const = 0;
    virtual void SetRichText(bool rich) = 0;
    // Replaces the whole content; the caret goes to the start.
    virtual void SetContent(const TStyledText& text) = 0;
    virtual TStyledText Content() const = 0;
    virtual void SetWordWrap(bool wrap) = 0;
};

} // namespace tildo
