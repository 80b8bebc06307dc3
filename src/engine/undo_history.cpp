#include "undo_history.h"

#include "text/cp1251.h"

namespace tildo {

void TUndoHistory::Add(int wordStart, int letterOffset, const std::string& newWord,
    const std::string& oldWord, TColour colour, char oldLetter)
{
    UndoWordStarts.Add(wordStart);
    UndoLetterPositions.Add(letterOffset);
    UndoColours.Add(static_cast<std::int32_t>(colour));
    UndoLetters += oldLetter;
    UndoOldWords.push_back(oldWord);
    UndoNewWords.push_back(newWord);
}

void TUndoHistory::Clear()
{
    UndoWordStarts.Clear();
    UndoLetterPositions.Clear();
    UndoColours.Clear();
    UndoLetters.clear();
    UndoOldWords.clear();
    UndoNewWords.clear();
}

std::string TUndoHistory::UndoCaption() const
{
    static const std::string caption = Cp("Откат");
    if (!UndoAvailable())
        return caption;
    return caption + " \"" + UndoOldWords.back() + " -> " + UndoNewWords.back() + "\"";
}

char CharAt(const TextDocument& doc, int offset)
{
    if (offset < 0 || offset >= doc.Length())
        return '\0';
    const int line = doc.LineOf(offset);
    const int column = offset - doc.LineStart(line);
    const std::string text = doc.Line(line);
    if (column >= 0 && column < static_cast<int>(text.size()))
        return text[static_cast<std::size_t>(column)];
    return '\n';
}

TUndoHistory::TTakeBack TUndoHistory::TakeBackLast(TextDocument& doc)
{
    if (!UndoAvailable())
        return TTakeBack::Nothing;
    // The records of one answer: the letters of one word written at once.
    const int last = Count() - 1;
    const int wordStart = UndoWordStarts[last];
    int first = last;
    while (first > 0 && UndoWordStarts[first - 1] == wordStart
        && UndoOldWords[static_cast<std::size_t>(first - 1)] == UndoOldWords.back()
        && UndoNewWords[static_cast<std::size_t>(first - 1)] == UndoNewWords.back())
        --first;
    const std::string newWord = UndoNewWords.back();

    TTakeBack result = TTakeBack::Stale;
    for (int record = last; record >= first; --record) {
        const int letterOffset = UndoLetterPositions[record];
        const int inWord = letterOffset - wordStart;
        const bool intact = inWord >= 0 && inWord < static_cast<int>(newWord.size())
            && CharAt(doc, letterOffset) == newWord[static_cast<std::size_t>(inWord)];
        if (intact) {
            doc.Select(letterOffset, 1);
            doc.SetSelectionColour(static_cast<TColour>(UndoColours[record]));
            doc.ReplaceSelection(std::string(1, UndoLetters[static_cast<std::size_t>(record)]));
            result = TTakeBack::Restored;
        }
        UndoWordStarts.Delete(record);
        UndoLetterPositions.Delete(record);
        UndoColours.Delete(record);
        UndoLetters.pop_back();
        UndoOldWords.pop_back();
        UndoNewWords.pop_back();
    }
    if (wordStart >= 0 && wordStart <= doc.Length())
        doc.Select(wordStart, 0);
    return result;
}

} // namespace tildo
