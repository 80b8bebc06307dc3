#pragma once

#include "platform/asker.h"

#include <fstream>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tildo {

// Asks the questions of a pass on a terminal: the position and the caption,
// the word in its context, and the six answers with the keys that give them,
// the same keys as scripted answers take (0 е, 1 ё, A0 always е, A1 always ё,
// U undo, C cancel); Enter takes the proposed answer. Answers that the question
// does not offer are refused and asked again; the end of input cancels.
class TTerminalAsker
{
public:
    // colour: highlight the word and an alarming caption with terminal escapes.
    TTerminalAsker(std::istream& in, std::ostream& out, bool colour);

    TAnswer Ask(const TQuestion& question, int line, int column);

    // The places (line from 1, column from 1) of every question the pass is
    // expected to ask, in text order: each question then shows how many are
    // left from it on. None known by default.
    void SetQuestionPlaces(std::vector<std::pair<int, int>> places) { m_places = std::move(places); }
    // The characters a pass shows around a word (its ContextAddLetters): a
    // context that long was cut inside the text, and loses a broken edge word.
    int ContextAddLetters = 20;

private:
    void Show(const TQuestion& question, int line, int column);
    // The answer of a typed line, or None when it names no answer on offer.
    static TAnswer Parse(const std::string& typed, const TQuestion& question);

    std::istream& m_in;
    std::ostream& m_out;
    bool m_colour;
    std::vector<std::pair<int, int>> m_places;
};

// The controlling terminal of the process, opened for questions (it serves
// even when the text comes through standard input).
class TTerminal
{
public:
    // nullptr when the process has no terminal.
    static std::unique_ptr<TTerminal> Open();

    TTerminalAsker& Asker() { return *m_asker; }

private:
    std::ifstream m_in;
    std::ofstream m_out;
    std::unique_ptr<TTerminalAsker> m_asker;
};

// The context of a question for a terminal: UTF-8, with control characters and
// characters the text could not show replaced, so that a text cannot send
// escape sequences to the terminal.
std::string TerminalText(std::string_view cp1251);

} // namespace tildo
