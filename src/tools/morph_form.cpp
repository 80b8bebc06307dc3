#include "morph_form.h"

namespace tildo {

void TMorphForm::Prepare(std::string_view baseWord)
{
    m_baseWord = std::string(baseWord);
    m_candidates = m_morphs.FindParadigms(baseWord);
    m_wordTypes.clear();
    for (const auto& candidate : m_candidates)
        m_wordTypes.push_back(candidate.Title);
    m_chosen = m_candidates.empty() ? -1 : 0;
    ShowForms();
}

void TMorphForm::ChooseWordType(std::string_view title)
{
    for (std::size_t i = 0; i < m_wordTypes.size(); ++i) {
        if (m_wordTypes[i] == title) {
            m_chosen = static_cast<int>(i);
            ShowForms();
            return;
        }
    }
}

void TMorphForm::ShowForms()
{
    WordForms.clear();
    if (m_chosen < 0)
        return;
    const TParadigmCandidate& candidate = m_candidates[static_cast<std::size_t>(m_chosen)];
    WordForms = MakeForms(m_baseWord, candidate.Cut, candidate.Endings);
}

} // namespace tildo
