#include "engine/word_asker.h"

#include "engine/question.h"

#include <utility>

namespace tildo {

TWordAsker::TWordAsker(TextDocument& doc, Asker& asker)
    : m_doc(doc)
    , m_asker(asker)
{
}

TAnswer TWordAsker::Ask(int position, int length, TQuestion& question, int linesBelow, int contextLetters)
{
    const bool highlight = question.DottedMissing || question.DottedMismatch;
    PresentWord(position, length, highlight, linesBelow);
    TContext context = GetContext(m_doc, contextLetters);
    question.Context = std::move(context.Text);
    question.WordOffset = context.Offset;
    question.WordLength = context.Length;
    const TAnswer answer = Answer(question);
    if (highlight) {
        m_doc.Select(position, length);
        m_doc.SetSelectionBackground(ColourWhite);
    }
    m_doc.Select(position, 0);
    return answer;
}

void TWordAsker::PresentWord(int position, int length, bool highlight, int linesBelow)
{
    const int line = m_doc.LineOf(position);
    ShowPosition(m_doc, m_doc.LineStart(line + linesBelow));
    ShowPosition(m_doc, position);
    m_doc.Select(position, length);
    if (highlight)
        m_doc.SetSelectionBackground(ColourAqua);
}

TAnswer TWordAsker::Answer(const TQuestion& question)
{
    if (m_script != nullptr && m_script->ScriptedTesting
        && m_script->NextAnswer < m_script->TestAnswers.Count()) {
        const int scripted = m_script->TestAnswers[m_script->NextAnswer++];
        return scripted != 0 ? TAnswer::Dotted : TAnswer::Plain;
    }
    return m_asker.Ask(question);
}

} // namespace tildo
