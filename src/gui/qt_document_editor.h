#pragma once

#include "app/document_editor.h"

class QTextEdit;

namespace tildo {

class TQtTextDocument;

// The main window's editor as the document commands see it: a QTextEdit in
// rich-text or plain-text mode. Content goes in and out as styled Unicode
// text, one UTF-16 unit per position as everywhere in the editor: a lone
// surrogate (a byte that was not valid UTF-8 in the file) is kept as it is.
class TQtDocumentEditor : public DocumentEditor
{
public:
    TQtDocumentEditor(QTextEdit& editor, TQtTextDocument& document);

    TextDocument& Document() override;
    const TextDocument& Document() const override;
    bool IsRichText() const override { return m_rich; }
    void SetRichText(bool rich) override;
    void SetContent(const TStyledText& text) override;
    TStyledText Content() const override;
    void SetWordWrap(bool wrap) override;

private:
    QTextEdit& m_editor;
    TQtTextDocument& m_document;
    bool m_rich = false;
};

} // namespace tildo
