#include "dict/rare_yo_list.h"

#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "text/cp1251.h"
#include "text/file_messages.h"
#include "text/letters.h"

#include <algorithm>

namespace tildo {

void TRareYoList::Clear()
{
    m_forms.clear();
    m_stems.clear();
}

bool TRareYoList::Load(const std::string& path, UserInterface& ui)
{
    Clear();
    if (RefuseInputFile(ui, path))
        return false;
    std::string text;
    try {
        text = ReadWholeFile(path);
    } catch (const EFileError& e) {
        ReportFileError(ui, e.Path(), e.Reason());
        return false;
    }
    std::string problem;
    if (!Parse(text, problem)) {
        ui.ErrorBox(
            Cp("Список редких слов с ё \"") + PathForDisplay(path) + Cp("\" не загружен: ") + problem);
        return false;
    }
    return true;
}

bool TRareYoList::Parse(std::string_view text, std::string& problem)
{
    Clear();
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line[0] == '#')
            continue;
        std::size_t formEnd = 0;
        while (formEnd < line.size() && !IsBlank(line[formEnd]))
            ++formEnd;
        std::string_view form = line.substr(0, formEnd);
        std::string_view reason = line.substr(formEnd);
        const bool dottedUsual = !form.empty() && form.front() == '+';
        if (dottedUsual)
            form.remove_prefix(1);
        while (!reason.empty() && IsBlank(reason.front()))
            reason.remove_prefix(1);
        const bool stem = !form.empty() && form.back() == '*';
        if (stem)
            form.remove_suffix(1);
        if (line.size() > MaxLine || form.empty() || !AllRussianLetters(form) || !HasDottedE(form)
            || reason.empty()) {
            problem = Cp("строка ") + std::to_string(number) + Cp(" \"") + ClipForMessage(line)
                + Cp("\": нужны слово с ё (или его начало со звёздочкой) и причина");
            Clear();
            return false;
        }
        (stem ? m_stems : m_forms).push_back({ ToLower(form), std::string(reason), dottedUsual });
    }
    const auto byForm = [](const TItem& a, const TItem& b) { return a.Form < b.Form; };
    std::sort(m_forms.begin(), m_forms.end(), byForm);
    return true;
}

const TRareYoList::TItem* TRareYoList::Find(std::string_view dotted) const
{
    const std::string lower = ToLower(dotted);
    const auto it = std::lower_bound(m_forms.begin(), m_forms.end(), lower,
        [](const TItem& item, const std::string& key) { return item.Form < key; });
    if (it != m_forms.end() && it->Form == lower)
        return &*it;
    for (const TItem& stem : m_stems) {
        if (lower.size() >= stem.Form.size() && lower.compare(0, stem.Form.size(), stem.Form) == 0)
            return &stem;
    }
    return nullptr;
}

std::string_view TRareYoList::Reason(std::string_view dotted) const
{
    const TItem* item = Find(dotted);
    return item != nullptr ? std::string_view(item->Reason) : std::string_view();
}

bool TRareYoList::DottedUsual(std::string_view dotted) const
{
    const TItem* item = Find(dotted);
    return item != nullptr && item->DottedUsual;
}

} // namespace tildo
