#include "app/context_data.h"

#include "app/file_locations.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"

namespace tildo {

namespace {

std::string DataFile(const std::string& name)
{
    try {
        return LocateProgramFiles().FindDataFile(name);
    } catch (const EFileError&) {
        return name; // the loader's box names the file it looked for
    }
}

} // namespace

TContextJudge* TContextData::JudgeFor(UserInterface& ui)
{
    if (!ui.IsCommandChecked("Context1")) {
        m_failed = false; // turned on again later, the files are tried again
        return nullptr;
    }
    if (m_judge != nullptr || m_failed)
        return m_judge.get();
    return JudgeFor(ui, DataFile("tags.dat"), DataFile("rare_yo.dat"));
}

TContextJudge* TContextData::JudgeFor(
    UserInterface& ui, const std::string& tagsPath, const std::string& rarePath)
{
    if (!ui.IsCommandChecked("Context1")) {
        m_failed = false;
        return nullptr;
    }
    if (m_judge != nullptr || m_failed)
        return m_judge.get();
    // Each loader shows its own box naming the file.
    if (!m_tags.Load(tagsPath, ui) || !m_rare.Load(rarePath, ui)) {
        m_tags.Clear();
        m_rare.Clear();
        m_failed = true;
        return nullptr;
    }
    m_judge = std::make_unique<TContextJudge>(m_tags, m_rare);
    return m_judge.get();
}

} // namespace tildo
