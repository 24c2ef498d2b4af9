// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The built-in engine's move searched beside the frame loop, on the search worker
// (chess/search_thread.h), so that the window draws and answers while the computer thinks.
//
// Off until the program turns it on (gameMain): the computer's turn then searches in-line, on
// the game thread, as harnesses that control the clock (the soak) and the tests of the board
// expect. Both ways play the same move for the same position and random state.
//
// The order is tied to the position key it was asked for (opponent.cpp's FNV-1a over the
// moves): the answer is played only while the game still shows that position. A new game, a
// take-back, a load, a replay step or leaving the game drops it at once, and the computer's turn
// is asked again once the board is free, so a dropped search never leaves the computer silent.
// Every call comes from the game thread; none waits for the search.

#include <cstdint>

struct SearchOrder;

// Turns the worker on (once; false when the system gives no thread: the search stays in-line)
// and off: a search under way is told to stop and the worker ends, within the few milliseconds
// the search needs to see the stop. Off at exit too, when the program leaves without it.
bool startThinkingBeside();
void stopThinkingBeside();
bool thinkingBesideOn();

// The computer's turn at `key`: `order` handed to the worker (any earlier order dropped), or
// left running when it was already asked for that key. False when the worker is off: the caller
// searches in-line.
bool thinkBeside(uint64_t key, const SearchOrder& order);

// Whether an order waits for its answer, and since when (clock_ms), -1 when none.
bool thinkingBeside();
int64_t thinkingBesideSinceMs();

// Drops the order under way, if any; the computer's turn is asked again (BesideNews::AskAgain)
// once the board is free.
void dropThinking();

enum class BesideNews {
    None,     // nothing to do this frame
    Answer,   // `move` is the computer's answer for the position (0: it has no legal move)
    AskAgain, // an order was dropped: the computer's turn is to be asked again if due
};

// Once a frame. `key` is the position the game shows, `gameGoesOn` whether the local game
// against the computer is still on, `boardFree` whether the computer may move now (its turn,
// nothing moving, no menu): the answer waits in the worker while the board is busy. While an
// order waits, the frame loop is woken often enough to take its answer.
BesideNews thinkingBesideStep(uint64_t key, bool gameGoesOn, bool boardFree, uint32_t& move);
