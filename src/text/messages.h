#pragma once

#include "platform/text_document.h"
#include "platform/user_interface.h"

#include <string>
#include <string_view>

namespace tildo {

// "Файл %s существует. Переписать?" as a Yes/No question with No as the
// default; true only for Yes. It does not look at the disk: callers ask only
// after finding the file exists.
bool ConfirmOverwrite(UserInterface& ui, const std::string& fileName);

// Drains the Esc state, so that a press that belonged to an earlier action does
// not abort the next one.
void WaitEscReleased(UserInterface& ui);

// A file-system path (UTF-8 bytes on Linux) as CP1251 text for a message.
std::string PathForDisplay(const std::string& path);

// A line of a file quoted in a message: at most a screen line of it, with
// "..." where it was cut, so that a huge line cannot make a huge message.
std::string ClipForMessage(std::string_view line);

// Reports an input/output failure: the path and the system's reason.
void ReportFileError(UserInterface& ui, const std::string& path, const std::string& reason);

// Reports a file that must not be read into memory (missing, not a regular
// file, or larger than MaxInputFileSize) with a box naming it; true when it was refused.
bool RefuseInputFile(UserInterface& ui, const std::string& path);

struct TLineColumn
{
    int Line = 0; // from 0
    int Column = 1; // from 1
};

// The line holding offset, and the column (from 1) of the document's caret
// relative to the start of that line.
TLineColumn LineAndColumn(const TextDocument& doc, int offset);

// Puts the caret at offset with an empty selection and scrolls it into view;
// does nothing for a negative offset.
void ShowPosition(TextDocument& doc, int offset);

} // namespace tildo
