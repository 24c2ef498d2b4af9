// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading and writing the game's own small files (saved games, their PGN copies, the settings)
// safely: a name in the save folder may be anything a user or another program put there.
//  - Reading takes only a regular file of a sane size, opened without waiting: a pipe or a
//    device under a game's name would block the frame loop, a huge file would eat the memory.
//  - Writing goes to a new temporary file made beside the target with O_CREAT | O_EXCL, so that
//    a planted symbolic link is never followed, then renamed over the target: the old file
//    stays whole until the new one is complete. The two halves can run apart (stage_file now,
//    commit_staged_file on a worker), so that the flush to the disk never holds up a frame.

#include <cstddef>
#include <string>

enum class FileRead {
    Ok,
    CannotOpen, // missing, no permission, or not a regular file (a folder, a pipe, a device)
    TooLarge,   // more than the limit
    Failed,     // a read error
};

// A descriptor open for reading on `path` when it is a regular file (a pipe is opened without
// waiting for a writer, then refused); -1 otherwise. `size` gets the file's size in bytes.
int open_regular_file(const char* path, size_t* size = nullptr);

// write(2) until everything is written (again after a signal); false on an error.
bool write_all(int fd, const char* data, size_t size);

// The whole file into `text` when it is a regular file of at most `limit` bytes; with `cut`, a
// longer one is not refused: its first `limit` bytes are read.
FileRead read_small_file(const char* path, size_t limit, std::string& text, bool cut = false);

// A new version of a file, written into a temporary file beside it and not yet in its place.
// Whoever holds one must commit or drop it (its descriptor is open until then).
struct StagedFile {
    std::string target; // the file it will replace
    std::string temp;   // the temporary file beside it
    int fd = -1;        // open on temp
};

// Writes `text` to a fresh temporary file beside `path`. False (nothing left behind) when it
// cannot be made or written.
bool stage_file(const char* path, const std::string& text, StagedFile& staged);

// Flushes the staged file to the disk when `sync` (the data first, then the folder's entry
// after the rename), closes it and renames it over its target. False, the temporary file
// removed and the old target intact, when a step before the rename fails. Any thread.
bool commit_staged_file(StagedFile& staged, bool sync);

// Gives a staged file up: closed and removed.
void drop_staged_file(StagedFile& staged);

// stage_file then commit_staged_file.
bool replace_file(const char* path, const std::string& text, bool sync);
