// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/fuzz/fuzz_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/KivEngine.h"

const char* fuzzInputFile(const uint8_t* data, size_t size, const char* ending) {
    static std::string path;
    if (path.empty()) {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path = std::string(folder) + "/chess3d-fuzz-" + std::to_string(getpid()) + ending;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path.c_str();
}

void restartLogEvery(int period) {
    static int calls = 0;
    if (++calls % period == 0) KivInitDLL();
}
