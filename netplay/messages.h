// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The eight game messages between the two programs and the receive handler. The byte stream
// is the concatenation of the messages, each starting with its ASCII type letter:
//   'S' whole game  4 + L bytes: 'S', sender's colour ('B' White, 'N' Black), L (16 bits, low
//                   byte first), then L bytes of recorded moves, 4 bytes each, low byte first
//   'L' 'R' 'W' 'B' 1 byte: load, new game, swap colours, take back (requests)
//   'Q' answer      2 bytes: 'Q', 'Y' accepted (anything else refused)
//   'M' click       4 bytes: 'M', origin ('H' host, 'C' joining side), 'a' + column, '8' - row
//   'C' chat line   75 bytes: 'C', origin, the line's first 72 characters (zeros after its end),
//                   a zero byte

// Which end of the connection a handler or sender runs on.
constexpr int NET_HOST = 0;
constexpr int NET_JOIN = 1;

constexpr int WHOLE_GAME_HEADER = 4;        // 'S', colour, two length bytes
constexpr int WHOLE_GAME_MAX_BLOCK = 65532; // the largest multiple of 4 a 16-bit length holds
constexpr int CHAT_MESSAGE_LENGTH = 75;
constexpr int CLICK_OFF_BOARD = 40; // row and column of a click that clears the selection

// Sends the recorded game with the local colour ('S'). A game too long for the 16-bit length
// is not sent: the player is told and false comes back (also when there is no peer).
bool SendWholeGame();

// Whole games received from peers that replaced this board, since start-up: a watcher of the
// record tells by it a game that came from the peer from a move played here.
long WholeGamesLoaded();

// Sends one click of the local player on the board ('M'); CLICK_OFF_BOARD for both clears the
// peer's selection. Nothing without a peer.
void SendSquareClick(int row, int column);

// Sends the local chat line `line` (its first 72 characters) as a 'C' message.
void SendChatLine(const char* line);

// The receive handler of both ends (`side` NET_HOST or NET_JOIN), called with the library's
// input buffer: consumes every complete message from the front, moving the rest down and
// lowering *inputLength, and leaves an incomplete one for the next call. A whole-game block is
// gathered across calls, so any length the message can carry arrives. A type letter no message
// starts with drops the input and asks for the connection to be closed after the pass
// (peerDropRequested). Safe on any bytes.
void ReceiveMessages(int side, char* input, int* inputLength);
