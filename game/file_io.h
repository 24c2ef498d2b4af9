#pragma once
// Reading and writing the game's own small files (saved games, their PGN copies, the settings)
// safely: a name in the save folder may be anything a user or another program put there.
//  - Reading takes only a regular file of a sane size, opened without waiting: a pipe or a
//    device under a game's name would block the frame loop, a huge file would eat the memory.
//  - Writing goes to a new temporary file made beside the target with O_CREAT | O_EXCL, so that
//    a planted symbolic link is never followed, then renamed over the target: the old file
//    stays whole until the new one is complete.

#include <cstddef>
#include <string>

enum class FileRead {
    Ok,
    CannotOpen, // missing, no permission, or not a regular file (a folder, a pipe, a device)
    TooLarge,   // more than the limit
    Failed,     // a read error
};

// The whole file into `text` when it is a regular file of at most `limit` bytes; with `cut`, a
// longer one is not refused: its first `limit` bytes are read.
FileRead read_small_file(const char* path, size_t limit, std::string& text, bool cut = false);

// Writes `text` to a fresh temporary file beside `path`, flushes it to the disk when `sync`,
// and renames it over `path`. False (no temporary file left, the old file intact) when any step
// fails.
bool replace_file(const char* path, const std::string& text, bool sync);
