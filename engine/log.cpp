#include "engine/log.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "engine/paths.h"

namespace {

FILE* g_logFile = nullptr;
std::string g_logPath;

const std::string& logPath() {
    if (g_logPath.empty()) g_logPath = KProgramFolder() + "KivEngine.log";
    return g_logPath;
}

} // namespace

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
