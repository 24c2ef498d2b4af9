#include "net/KivNetwork.h"

#include <cstdarg>
#include <cstdio>

// The file keeps only the latest message, so it is reopened (and truncated) for each one.
// When it cannot be opened (read-only folder, no descriptor left) the message still reaches
// standard output.
void NetLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (FILE* file = std::fopen("NetLog.txt", "w")) {
        va_list copy;
        va_copy(copy, args);
        std::vfprintf(file, format, copy);
        va_end(copy);
        std::fclose(file);
    }
    std::vfprintf(stdout, format, args);
    std::fflush(stdout);
    va_end(args);
}
