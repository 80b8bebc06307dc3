#pragma once

#include <string>

namespace tildo {

// What a handler of terminating signals (SIGINT, SIGTERM, SIGHUP) needs to end
// the process without leaving half-done files behind, whichever thread the
// signal lands on and whichever threads are writing.

// Remembers a temporary file to be removed should a signal end the process.
// Returns a ticket for ForgetTemporaryFile, or -1 when the file cannot be
// remembered (a path too long, too many files at once).
int RememberTemporaryFile(const std::string& path) noexcept;
void ForgetTemporaryFile(int ticket) noexcept;

// Removes every remembered file. Async-signal-safe: for the handler.
void RemoveTemporaryFilesNow() noexcept;

// A step that a signal must not cut short, such as rewriting a file in place,
// runs between EnterUninterruptible and LeaveUninterruptible (on any thread,
// nested as needed). A handler calls PostponeSignal first: true means that the
// signal has been kept for later and the handler must return; the signal is
// raised again when the last such step ends.
void EnterUninterruptible() noexcept;
void LeaveUninterruptible() noexcept;
bool PostponeSignal(int signal) noexcept;

} // namespace tildo
