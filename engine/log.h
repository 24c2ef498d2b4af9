// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's log: "KivEngine.log" in the program's folder (or the one KSetLogFolder names),
// started afresh by KivInitDLL.

// printf-style; the text is written as given (callers put their own line ends) and flushed.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Full path of the log file.
const char* KLogPath();
