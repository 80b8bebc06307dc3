#pragma once

#include "tools/morpho_gen.h"

#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// The logic of the word-form dialog "Генерация форм слова": the base word, the
// titles of the matching paradigms (the part-of-speech list, first chosen) and
// the editable forms of the chosen one. A window shows it and edits WordForms.
class TMorphForm
{
public:
    explicit TMorphForm(const TMorphoGen& morphs)
        : m_morphs(morphs)
    {
    }

    // Prepares a showing: the candidates for baseWord, the first one chosen
    // and its forms.
    void Prepare(std::string_view baseWord);

    const std::string& BaseWord() const { return m_baseWord; }
    // The titles, in the candidates' order; a title may repeat.
    const TStringList& WordTypes() const { return m_wordTypes; }
    // Index of the chosen title in WordTypes, or -1 when nothing matched.
    int ChosenWordType() const { return m_chosen; }

    // The user chose a title: the forms of the first candidate bearing it
    // replace WordForms, edits included. An unknown title changes nothing.
    void ChooseWordType(std::string_view title);

    // The lines of the forms list, as generated or as the user edited them.
    TStringList WordForms;

private:
    void ShowForms();

    const TMorphoGen& m_morphs;
    std::string m_baseWord;
    std::vector<TParadigmCandidate> m_candidates;
    TStringList m_wordTypes;
    int m_chosen = -1;
};

// The window side of the word-form dialog.
class MorphDialog
{
public:
    virtual ~MorphDialog() = default;

    // Runs the dialog modally over a prepared form: shows form.BaseWord(), lists
    // form.WordTypes() with form.ChosenWordType() chosen, calls
    // form.ChooseWordType() when the user picks another title and shows
    // form.WordForms again, and leaves the lines of the forms list, as the user
    // left them, in form.WordForms whichever way the dialog ends. Returns true
    // when accepted ("Принять" or Enter) and false when cancelled ("Выйти" or Esc).
    virtual bool Execute(TMorphForm& form) = 0;
};

} // namespace tildo
