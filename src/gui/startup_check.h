#pragma once

#include <QStringList>

namespace tildo {

// `tildo --startup-check [TEXT]`: a run without anyone at the screen, for
// packagers and scripts that want to know whether an installed window finds its
// files. The window starts as usual (settings, dictionaries, TEXT), restores ё
// in TEXT from its start taking the proposed answer to every question, writes
// what it did to standard output and message boxes to standard error, and
// closes the usual way, so the settings are written while TEXT is not. The exit
// code is 0 when the main dictionary loaded and every box was only
// informational, 1 otherwise.
int RunStartupCheck(const QStringList& arguments);

} // namespace tildo
