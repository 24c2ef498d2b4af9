// SPDX-License-Identifier: GPL-3.0-or-later
// Listing the UCI engines installed, by their file names alone.

#include "platform/installed_engines.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>

#include "platform/command_words.h"

namespace {

// A regular file this user may execute (what the game can start by that name).
bool executableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// "builtin", "built-in" (any case) or no word at all: the game's own engine.
bool isBuiltin(const std::string& command) {
    const std::vector<std::string> words = commandWords(command);
    if (words.empty()) return true;
    std::string first = words[0];
    for (char& c : first)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return first == "builtin" || first == "built-in";
}

std::string commandOf(const KnownUciEngine& engine) {
    return *engine.arguments ? std::string(engine.program) + " " + engine.arguments
                             : std::string(engine.program);
}

} // namespace

std::string EngineSearchFolders(const char* pathVariable) {
    if (!pathVariable) pathVariable = std::getenv("PATH");
    std::string folders = pathVariable ? pathVariable : "/usr/bin:/bin";
    return folders + ":/usr/games:/usr/local/games";
}

std::vector<InstalledEngine> FindInstalledEngines(const std::string& folders) {
    std::vector<std::string> absoluteFolders;
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        if (end > start && folders[start] == '/')
            absoluteFolders.push_back(folders.substr(start, end - start));
        start = end + 1;
    }

    std::vector<InstalledEngine> found{{BUILTIN_ENGINE_NAME, BUILTIN_ENGINE_COMMAND}};
    std::vector<std::string> realFilesListed; // the same program under two names counts once
    for (const KnownUciEngine& engine : KNOWN_UCI_ENGINES) {
        for (const std::string& folder : absoluteFolders) {
            const std::string path = folder + "/" + engine.program;
            if (!executableFile(path)) continue;
            char real[PATH_MAX];
            const std::string realFile = realpath(path.c_str(), real) ? real : path;
            bool listed = false;
            for (const std::string& file : realFilesListed)
                listed = listed || file == realFile;
            if (!listed) {
                realFilesListed.push_back(realFile);
                found.push_back({engine.name, commandOf(engine)});
            }
            break; // the first folder holding it is the one the game would start it from
        }
    }
    return found;
}

std::string EngineDisplayName(const std::string& command) {
    if (isBuiltin(command)) return BUILTIN_ENGINE_NAME;
    std::vector<std::string> words = commandWords(command);
    const size_t slash = words[0].rfind('/');
    if (slash != std::string::npos) words[0].erase(0, slash + 1);
    std::string plain; // the command with its program's folder dropped and single blanks
    for (const std::string& word : words)
        plain += (plain.empty() ? "" : " ") + word;
    for (const KnownUciEngine& engine : KNOWN_UCI_ENGINES)
        if (plain == commandOf(engine)) return engine.name;
    return words[0].empty() ? command : words[0];
}

bool SameEngineCommand(const std::string& a, const std::string& b) {
    const bool builtinA = isBuiltin(a), builtinB = isBuiltin(b);
    return builtinA || builtinB ? builtinA && builtinB : commandWords(a) == commandWords(b);
}

std::vector<InstalledEngine> EngineChoices(std::vector<InstalledEngine> found,
                                           const std::string& current) {
    for (const InstalledEngine& engine : found)
        if (SameEngineCommand(engine.command, current)) return found;
    found.push_back({EngineDisplayName(current), current});
    return found;
}

int EngineNameSlot(const std::string& command) {
    if (isBuiltin(command)) return 0;
    const std::string name = EngineDisplayName(command);
    int slot = 1;
    for (const KnownUciEngine& engine : KNOWN_UCI_ENGINES) {
        if (name == engine.name) return slot;
        ++slot;
    }
    return slot;
}
