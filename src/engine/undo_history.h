#pragma once

#include "dict/my_lists.h"
#include "platform/text_document.h"
#include "text/collation.h"

#include <string>

namespace tildo {

// The letters replaced in words the user was asked about, one record per
// letter, oldest first, as six parallel sequences.
class TUndoHistory
{
public:
    TIntegerList UndoWordStarts; // position of the changed word
    TIntegerList UndoLetterPositions; // offset of the changed letter
    TIntegerList UndoColours; // text colour of that letter before the change
    std::string UndoLetters; // the letter before the change, one per record
    TStringList UndoOldWords; // the word before the change
    TStringList UndoNewWords; // the word after the change

    int Count() const { return UndoWordStarts.Count(); }
    bool UndoAvailable() const { return Count() > 0; }

    void Add(int wordStart, int letterOffset, const std::string& newWord, const std::string& oldWord,
        TColour colour, char oldLetter);
    void Clear();

    // "Откат" for an empty history, otherwise Откат "old -> new" of the last record.
    std::string UndoCaption() const;

    enum class TTakeBack {
        Nothing, // the history was empty
        Restored, // the old letter and its colour are back
        Stale, // the text changed since: the record went without writing anything
    };
    // Takes back the last answer: the old letters of its word (every record
    // of it, however many letters the answer changed) with their colours,
    // and the caret at the word's start. The records go in every case. A record whose letter
    // is no longer inside the text, or no longer the letter that was written
    // (the text was edited since), writes nothing, so an undo can never change
    // text it did not write.
    TTakeBack TakeBackLast(TextDocument& doc);
};

// The character at offset (a line break reads as '\n'); '\0' outside the text.
char CharAt(const TextDocument& doc, int offset);

} // namespace tildo
