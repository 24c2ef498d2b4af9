// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/log.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "engine/folders.h"
#include "engine/paths.h"

namespace {

FILE* g_logFile = nullptr;
std::string g_logPath;

std::string g_logFolder; // "" for the program's folder, else ending in '/'

const std::string& logPath() {
    if (g_logPath.empty())
        g_logPath = (g_logFolder.empty() ? KProgramFolder() : g_logFolder) + "KivEngine.log";
    return g_logPath;
}

} // namespace

void KSetLogFolder(const char* folder) {
    g_logFolder = folder ? folder : "";
    if (!g_logFolder.empty() && g_logFolder.back() != '/') g_logFolder += '/';
    g_logPath.clear(); // the next KivInitDLL opens the log there
}

const char* KLogPath() {
    return logPath().c_str();
}

// Called by KivInitDLL: a fresh log for every run.
void KLogOpen() {
    if (g_logFile) std::fclose(g_logFile);
    g_logFile = std::fopen(logPath().c_str(), "w");
}

void KLogClose() {
    if (g_logFile) std::fclose(g_logFile);
    g_logFile = nullptr;
}

void Log(const char* format, ...) {
    if (!format) return;
    // Logging before KivInitDLL (or after KivFreeDLL) appends to the same file.
    if (!g_logFile) g_logFile = std::fopen(logPath().c_str(), "a");
    if (!g_logFile) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(g_logFile, format, args);
    va_end(args);
    std::fflush(g_logFile);
}
