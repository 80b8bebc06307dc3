#pragma once

#include "app/document_editor.h"

class QPlainTextEdit;

namespace tildo {

class TQtTextDocument;

// The main window's editor as the document commands see it: a QPlainTextEdit in
// rich-text or plain-text mode. Content goes in and out as styled Unicode
// text, one UTF-16 unit per position as everywhere in the editor: a lone
// surrogate (a byte that was not valid UTF-8 in the file) is kept as it is.
class TQtDocumentEditor : public DocumentEditor
{
public:
    TQtDocumentEditor(QPlainTextEdit& editor, TQtTextDocument& document);

    TextDocument& Document() override;
    const TextDocument& Document() const override;
    bool IsRichText() const override { return m_rich; }
    void SetRichText(bool rich) override;
    void SetContent(const TStyledText& text) override;
    TStyledText Content() const override;
    void SetWordWrap(bool wrap) override;

private:
    QPlainTextEdit& m_editor;
    TQtTextDocument& m_document;
    bool m_rich = false;
};

} // namespace tildo
