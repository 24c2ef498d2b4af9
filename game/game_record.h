// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game as played on the 3D board and its link to the chess engine: the recorded moves, the
// identity of the piece on every square and the pieces taken. The game model holds the one
// instance (g_game->record, game/game_model.h); every call comes from the game thread.

#include <cstdint>
#include <string>
#include <vector>

#include "game/game_array.h"
#include "game/recorded_move.h"

struct FoundFile;

// The root move (ply 0) with the same squares as `move` but promoting to a queen, when `move` is
// a promotion to another piece; otherwise `move` itself. The board shows promotions as queens
// and saved games cannot name the piece, so the computer promotes to a queen as the player does.
uint32_t queen_promotion_of(uint32_t move);

struct GameRecord {
    GrowArray<RecordedMove> moves;           // the moves of the game in order
    PieceId square_ids[64];                  // identifier on each square, NO_PIECE if empty
    GrowArray<PieceId> captured;             // pieces taken, in the order of capture
    GrowArray<std::string> saved_file_names; // names found by the last ListSavedGames
    PromotedPawns promoted = 0;              // pawns that became queens, bit colour * 8 + index
    // The local day the game started, as PGN writes dates ("2026.12.08"): the day of its first
    // move, a loaded PGN game's Date, or the Date of the PGN copy beside a loaded ".chs";
    // "????.??.??" when a loaded game does not say; empty while the game has no move.
    std::string startDay;
    int replayPlies = -1; // while a game is replayed: the moves the board shows; -1 all of them

    // Empty arrays, then NewGame(true).
    GameRecord();
    GameRecord(const GameRecord&) = delete;
    GameRecord& operator=(const GameRecord&) = delete;

    // Engine back to the start position with its moves generated (depth 4, unlimited time);
    // empties the move list when `clearMoves`, always the captured list; start identifiers.
    void NewGame(bool clearMoves);

    // Called by the board whenever it starts moving a piece. On the local player's turn in a
    // game against the computer the engine plays the move first (HumanMove); if the engine
    // refuses it nothing is recorded and false comes back, so the board does not play it. A move
    // made while a replay shows an earlier position first drops the moves after that position.
    [[nodiscard]] bool RecordMove(int fr, int fc, int tr, int tc, int colour, int kind, int index);

    // Plays a local move on the engine (a promotion becomes a queen). Shows "Illegal move" and
    // returns false when the engine does not accept it; the engine position is then unchanged.
    bool HumanMove(int fr, int fc, int tr, int tc);

    // The engine chooses, plays and shows its move on the board, then ends the turn. With a UCI
    // engine as the opponent the engine is asked, and its answer comes to PlayComputerMove in a
    // later frame (game/opponent.h).
    void ComputerMove();
    // The computer's chosen move `best` (a legal move of the engine's position) played on the
    // engine and on the board, the result shown and the turn ended.
    void PlayComputerMove(uint32_t best);

    // Announces mate, stalemate or a draw in the info line; returns the text shown, or null.
    const char* ShowResult();

    // Replaces the record by `count` moves of 4 bytes each, least significant byte first. A
    // block with a damaged value or a move the engine finds illegal is refused whole (false,
    // "Damaged game received : not loaded"): the record stays as it was and the engine holds
    // its game.
    bool LoadMoves(const unsigned char* bytes, int count);
    // Whether LoadMoves would take the block; nothing changes (the engine still holds the
    // record's game afterwards).
    bool MovesLoadable(const unsigned char* bytes, int count);

    // Drops the last recorded move and replays the rest on the identifiers.
    void UndoLastMove();

    // The take-back a player asked for, board rebuilt: in a game against the computer on the
    // player's turn, the computer's reply and the player's move before it (nothing when there
    // is no move of the player's to take back); otherwise (a network game, or the computer has
    // not replied yet) the last half-move. Returns the number of half-moves taken back.
    int TakeBack();

    // Rebuilds the engine position and the 3D board from the record.
    void RestoreBoard();

    // Replaying the game (game/replay.h): the number of moves the board shows (all of them
    // unless an earlier position is shown), and the board and the engine set, without any
    // animation, to the position after the first `plies` moves, the record kept whole.
    int ShownCount() const { return replayPlies < 0 ? moves.count : replayPlies; }
    void ShowPlies(int plies);
    // The moves after the first `count` dropped: the record, its identifiers and the engine
    // follow (a move played from an earlier position of a replay).
    void DropMovesAfter(int count);

    // Saved games in "./Save/" (game/saved_games.cpp). LoadGame: false when the file cannot
    // be opened or is damaged, also when the engine refuses one of its moves (the record and
    // the engine's position are then untouched); `path` may also name one game of a PGN file
    // (pgn_import.h), which the player is told about when the board cannot show it. SaveGame:
    // writes a new file, flushes it to the disk and renames it over the old one; false when
    // anything fails. ListSavedGames: the number of ".chs" files, names sorted into
    // saved_file_names, listing written to the engine's log.
    bool LoadGame(const char* path);
    bool SaveGame(const char* path);
    int ListSavedGames();
    // The save screen's save: the file is written now, and flushed to the disk and renamed over
    // the old one by the file worker (file_jobs.h), so that a slow disk never holds up a frame.
    // A failure, now or when the worker ends, is told to the player ("Game not saved"); the
    // old file then stays whole. The program's exit waits for a save under way.
    void StartSaveGame(const char* path);
    // ListSavedGames on the files a folder search found (load_list.h's find_files of
    // save_pattern()), which may have run on the file worker.
    int TakeSavedGames(const std::vector<FoundFile>& found);
};
