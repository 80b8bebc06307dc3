#pragma once

// The question record and answer codes the floating dialog works with, until
// the engine's asker port is available to this branch.

#include "platform/text_document.h"

#include <string>

namespace tildo {

constexpr int AnswerPlain = 65281;
constexpr int AnswerDotted = 65282;
constexpr int AnswerAlwaysPlain = 65283;
constexpr int AnswerAlwaysDotted = 65284;
constexpr int AnswerUndo = 65285;
constexpr int AnswerCancel = 2;

struct TQuestion
{
    std::string PlainForm;
    std::string DottedForm;
    bool DefaultDotted = false;
    std::string Context;
    int WordOffset = 0;
    int WordLength = 0;
    bool DottedMissing = false;
    bool DottedMisplaced = false;
    bool DottedMismatch = false;
    bool FromRule = false;
    std::string Caption;
    TColour CaptionColour = 0;
    bool AlwaysPlainEnabled = false;
    bool AlwaysDottedEnabled = false;
    bool UndoEnabled = false;
    std::string UndoCaption;
};

} // namespace tildo
