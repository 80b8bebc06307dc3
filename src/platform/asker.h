#pragma once

#include "platform/answer.h"
#include "platform/text_document.h"

#include <string>

namespace tildo {

// One question about a word, as plain data. All texts are CP1251.
struct TQuestion
{
    std::string PlainForm; // the е form in the word's case (for a misplaced ё: the dictionary's placement)
    std::string DottedForm; // the ё form in the word's case (or the word as written)
    bool DefaultDotted = false; // the proposed answer is the ё form

    // The word in its text: up to ContextAddLetters characters around it, line
    // breaks shown as spaces; the word starts at WordOffset (from 0).
    std::string Context;
    int WordOffset = 0;
    int WordLength = 0;

    bool DottedMissing = false; // a fixed ё word without its ё (asked only because every change is confirmed)
    bool DottedMisplaced = false; // the word's ё stands elsewhere than in the dictionary
    bool DottedMismatch = false; // the word's ё is not confirmed by the dictionary
    bool FromRule = false; // found through a rule, or not in the dictionary at all

    std::string Caption; // "Выберите верный вариант" and its alarming variants
    TColour CaptionColour = 0; // red for a doubtful ё, navy otherwise
    bool AlwaysPlainEnabled = false; // "Всегда Е" may be offered
    bool AlwaysDottedEnabled = false; // "Всегда Ё" may be offered
    bool UndoEnabled = false;
    std::string UndoCaption; // "Откат", or Откат "все -> всё"

    // What the context judge said about the word (Plain, Dotted; None when it
    // was not asked or could not tell) and the evidence that decided.
    TAnswer ContextAnswer = TAnswer::None;
    std::string ContextEvidence;
    std::string ContextFamily; // "all", "verb", ... (see JudgeFamilyName); empty when the judge was not asked
};

// A variant word the context judge decided without a question; the word is
// selected in the document when the asker is told. Texts are CP1251.
struct TContextDecision
{
    std::string Result; // the word as it is written now
    TAnswer Answer = TAnswer::None; // Plain or Dotted
    std::string Evidence;
    std::string Family; // "all", "verb", ... (see JudgeFamilyName)
};

// Shows a question and waits for its answer.
class Asker
{
public:
    virtual ~Asker() = default;

    // The docked panel, the floating dialog, the command-line tool and the
    // testing mode's scripted answers all answer here; None counts as a cancel.
    virtual TAnswer Ask(const TQuestion& question) = 0;

    // A pass starts and ends. A docked question panel shows its waiting look and
    // locks the menus in between; EndPass is called on every exit path.
    virtual void BeginPass() { }
    // A word was decided by its context without a question (for a report).
    virtual void DecidedByContext(const TContextDecision& /*decision*/) { }
    virtual void EndPass() { }
};

} // namespace tildo
