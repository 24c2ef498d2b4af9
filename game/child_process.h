// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A helper program run beside the game (a chess engine that speaks UCI): its standard input and
// output are two non-blocking pipes that the frame loop polls, so nothing here ever waits for
// the program. Lines go out queued in a buffer reserved at the start and come back one at a time
// from a fixed buffer: once the program runs, talking to it allocates nothing.

#include <string>
#include <vector>

#include "platform/command_words.h"

constexpr int CHILD_LINE_LIMIT = 4096;     // longer lines are cut into pieces of this length
constexpr int CHILD_READ_PER_POLL = 65536; // bytes read at most per call of nextChildLine

struct ChildProcess {
    int pid = -1;                      // -1 when no program runs
    int input = -1;                    // our end of the program's standard input
    int output = -1;                   // our end of its standard output
    std::string queued;                // bytes the input pipe has not taken yet
    char buffer[CHILD_LINE_LIMIT + 1]; // bytes read, not yet handed out as lines
    int buffered = 0;                  // bytes in `buffer`
    int lineEnd = -1;                  // end of the line last handed out, -1 none
    int readThisPoll = 0;              // bytes read since nextChildLine last said None
};

// A word written so that commandWords reads it back whole: in double quotes when it has blanks,
// quotes or nothing at all, otherwise as it is.
std::string quotedWord(const std::string& word);

// The full path of `program`: a name with a '/' as it is, otherwise the first match in the
// folders of PATH, then /usr/games and /usr/local/games (where Debian puts chess engines, which
// an ordinary PATH may lack). Empty when no executable file is found.
std::string findProgram(const std::string& program);

// Starts argv[0] (found by findProgram) with the other words as its arguments, standard input
// and output on pipes, standard error to /dev/null, none of the game's other descriptors open.
// False, with the reason in `error`, when it cannot be found or started.
bool startChildProcess(ChildProcess& child, const std::vector<std::string>& argv,
                       std::string& error);

// Queues `text` (a whole line with its '\n') and writes what the pipe takes now. False when
// the program no longer reads (it has ended or closed its input).
bool sendToChild(ChildProcess& child, const char* text);
// Writes what is still queued; false as for sendToChild.
bool flushToChild(ChildProcess& child);

enum class ChildRead {
    Line,   // `line` points at the next line, without its end (valid until the next call)
    None,   // nothing more now (or this call's reading budget is used up: call again later)
    Closed, // the program closed its output or ended
};
ChildRead nextChildLine(ChildProcess& child, const char*& line);

// True once the program has ended (reaped without waiting).
bool childHasEnded(ChildProcess& child);

// Ends the program: pipes closed, then it is killed. With `graceMs`, a program that ends by
// itself in that time (after "quit", say) is let go; the wait is only ever used at shutdown. A
// killed program not yet gone is reaped later by reapEndedChildren.
void endChildProcess(ChildProcess& child, int graceMs);
// Reaps, without waiting, the programs endChildProcess left behind.
void reapEndedChildren();
