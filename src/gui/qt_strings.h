#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// The core's CP1251 text as a QString, one UTF-16 unit per byte; '\n' stays '\n'.
QString ToQString(std::string_view cp1251);

// A QString as the core's CP1251 text, one byte per UTF-16 unit: a character
// the code page lacks (a surrogate half included) becomes ForeignPlaceholder,
// and the paragraph separator of a text document becomes '\n'.
std::string FromQString(const QString& text);
void AppendFromQString(std::string& out, const QString& text);

// One UTF-16 unit as CP1251.
char CharFromQChar(QChar ch);

// A CP1251 message literal of the core, or a UTF-8 literal of the sources, as a QString.
inline QString Q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// A file-system path handed to the core (UTF-8 bytes), and back.
std::string PathFromQString(const QString& path);
QString PathToQString(const std::string& path);

// The program's arguments (without its name) as start-up takes them. Start-up
// makes the program directory the working directory, so a text named relative
// to the directory the program was started in is made absolute first; the
// testing switch "/t" stays as it is.
std::vector<std::string> StartArguments(const QStringList& arguments, const QString& startDirectory);

} // namespace tildo
