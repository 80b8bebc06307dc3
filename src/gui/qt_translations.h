#pragma once

class QCoreApplication;

namespace tildo {

// Makes Qt's own texts (file dialogs, message-box buttons, the editor's
// context menu) Russian, from Qt's installed translations. False when they
// are not installed; the texts stay English then.
bool InstallRussianTranslations(QCoreApplication& app);

} // namespace tildo
