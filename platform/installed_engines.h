// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chess engines a player can choose from without typing a command: the game's own engine and
// each well-known engine that speaks UCI and is installed where the game starts programs from
// (PATH, then /usr/games and /usr/local/games, where Debian and local installs put games).
//
// Finding them only looks at the file system: no program is ever started to ask what it is, so
// a file that merely carries an engine's name is listed, and its failure to start is told when it
// is chosen (the game then falls back to its own engine).

#include <string>
#include <vector>

// The command that names the game's own engine in settings.ini and on the command line.
constexpr const char* BUILTIN_ENGINE_COMMAND = "builtin";

// An engine the game knows by name. Engines that speak only the xboard protocol (crafty, fairymax,
// phalanx, sjeng, hoichess) are left out: the game talks UCI alone.
struct KnownUciEngine {
    const char* name;      // shown to the player
    const char* program;   // the file looked for
    const char* arguments; // what makes it speak UCI ("" when it always does)
};

// Roughly strongest first; each of Debian's packages puts its program in /usr/games.
inline constexpr KnownUciEngine KNOWN_UCI_ENGINES[] = {
    {"Stockfish", "stockfish", ""},
    {"Ethereal", "ethereal-chess", ""},
    {"Fairy-Stockfish", "fairy-stockfish", ""},
    {"Toga II", "toga2", ""},
    {"Glaurung", "glaurung", ""},
    {"Fruit", "fruit", ""},
    {"GNU Chess", "gnuchess", "--uci"},
};

// The built-in engine's name for the player.
constexpr const char* BUILTIN_ENGINE_NAME = "Built-in";

struct InstalledEngine {
    std::string name;    // shown to the player: "Stockfish", "GNU Chess"
    std::string command; // what `engine =` and --engine take: "stockfish", "gnuchess --uci"
};

// The folders searched by FindInstalledEngines when the game lists its engines: the entries of
// `pathVariable` (the PATH value; null reads the environment's, an unset PATH counts as
// "/usr/bin:/bin"), then /usr/games and /usr/local/games, colon-separated.
std::string EngineSearchFolders(const char* pathVariable = nullptr);

// The built-in engine first, then each known UCI engine found as a regular executable file in
// one of the colon-separated `folders`, in the order of KNOWN_UCI_ENGINES (strongest
// first), each once: a program found in several folders, or the same file under two known names
// (a symbolic link), is listed under the first. Empty and relative folder entries are skipped,
// since what they name depends on the current folder. Directories, files without the execute
// permission and unreadable folders are passed over silently.
std::vector<InstalledEngine> FindInstalledEngines(const std::string& folders);

// The name a player knows an engine command by: the known engine's name for its command
// ("gnuchess --uci" gives "GNU Chess"), "Built-in" for the built-in engine (also "built-in" and
// blanks, any case), otherwise the program's file name without its folder ("/opt/sf/sf-16 -x"
// gives "sf-16"; a first word in double quotes may hold blanks).
std::string EngineDisplayName(const std::string& command);

// Whether two engine commands start the same engine: both the built-in one, or the same words
// (blanks and quotes aside). A path is not taken for the program found by name: a player's own
// "/opt/sf/stockfish" stays theirs.
bool SameEngineCommand(const std::string& a, const std::string& b);

// The engines a page offers: `found` (FindInstalledEngines), then `current` (the engine the
// settings or the command line name) when it is none of them, so that an engine set by hand, or
// one since removed, stays as it was until the player picks another.
std::vector<InstalledEngine> EngineChoices(std::vector<InstalledEngine> found,
                                           const std::string& current);

// The place of a command's name among the pictures of engine names: 0 the built-in engine,
// 1 + i the known engine KNOWN_UCI_ENGINES[i], and the one after them any other engine.
int EngineNameSlot(const std::string& command);
