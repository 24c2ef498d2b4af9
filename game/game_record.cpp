// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/game_record.h"

#include <ctime>

#include "board/board_moves.h"
#include "board/board_scene.h"
#include "chess/game_end.h"
#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/position.h"
#include "chess/search.h"
#include "engine/node.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/opponent.h"
#include "game/pgn.h"
#include "game/pgn_import.h"
#include "game/player_info.h"
#include "game/unfinished_game.h"

namespace {

// The engine at the start position with the root moves generated, at the game's search limits.
void resetEngine() {
    init_position();
    (void)generate_moves();
    max_time_ms = 33554432;
    max_depth = builtinDepth();
}

// Plays the move from (fr, fc) to (tr, tc) on the engine (a promotion becomes a queen) and
// generates the moves of the new position. False, the engine unchanged, when it has no such
// legal move.
bool playOnEngine(int fr, int fc, int tr, int tc) {
    int from = fr * 8 + fc, to = tr * 8 + tc;
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        Move mv = move_stack[i].move;
        if (mv.from != from || mv.to != to) continue;
        // The board always promotes to a queen: skip the other pieces of the group.
        if ((mv.flags & MF_PROMOTE) && mv.promote != QUEEN) continue;
        if (!make_move(mv)) return false;
        search_ply = 0;
        (void)generate_moves();
        return true;
    }
    return false;
}

// The engine replayed quietly (no messages) through the first `count` moves of `moves`.
void replayEngine(const GrowArray<RecordedMove>& moves, int count) {
    resetEngine();
    for (int i = 0; i < count; ++i) {
        const RecordedMove m = moves[i];
        (void)playOnEngine(rm_from_row(m), rm_from_column(m), rm_to_row(m), rm_to_column(m));
    }
}

// Every piece of the 3D board where `ids` puts it, taken pieces off the board, promoted pawns
// as queens; glides stopped.
void layOutBoard(const PieceId ids[64], const GrowArray<PieceId>& taken, PromotedPawns promoted) {
    BoardScene* b = g_board;
    b->settlePieces();
    for (PieceRecord* p : g_game->pieces)
        if (p->kind == KIND_PAWN) b->setPromoted(p, (promoted >> (p->colour * 8 + p->index)) & 1);
    for (PieceId id : taken)
        if (PieceRecord* p = g_game->pieceOf(id_colour(id), id_kind(id), id_index(id)))
            g_game->sendToGraveyard(p);
    for (int s = 0; s < 64; ++s) {
        SquareRecord& sq = g_game->squares[s];
        const PieceId id = ids[s];
        PieceRecord* p =
            id == NO_PIECE ? nullptr : g_game->pieceOf(id_colour(id), id_kind(id), id_index(id));
        sq.piece = p;
        if (!p) continue;
        p->square = &sq;
        p->row = sq.row;
        p->column = sq.column;
        if (p->node && sq.node) p->node->InsertAsChildOf(sq.node);
    }
}

} // namespace

GameRecord::GameRecord() {
    NewGame(true);
}

void GameRecord::NewGame(bool clearMoves) {
    resetEngine();
    replayPlies = -1;
    if (clearMoves) {
        moves.clear();
        startDay.clear();
    }
    captured.clear();
    promoted = 0;
    start_square_ids(square_ids);
    if (clearMoves) clearGameEnd();
}

bool GameRecord::RecordMove(int fr, int fc, int tr, int tc, int colour, int kind, int index) {
    if (replayPlies >= 0) DropMovesAfter(replayPlies); // the board shows that position
    if (g_board && g_game->sideToMove == g_game->humanColour && localGame() &&
        !HumanMove(fr, fc, tr, tc))
        return false;
    // In a network game the board's rules decide; the engine follows, so that it knows the
    // position should the game turn into one against the computer.
    if (!localGame()) (void)playOnEngine(fr, fc, tr, tc);
    RecordedMove m = make_recorded_move(fr, fc, tr, tc, colour, kind, index);
    if (moves.count == 0) startDay = pgn_date(std::time(nullptr));
    moves.push(m);
    apply_recorded_move(m, square_ids, &promoted, &captured, false);
    judgeAfterMove(moves.count);
    return true;
}

bool GameRecord::HumanMove(int fr, int fc, int tr, int tc) {
    if (!playOnEngine(fr, fc, tr, tc)) {
        tellPlayer("Illegal move");
        if (g_game) fireHook(g_game->hooks.soundPlayed, GameSound::Refused);
        return false;
    }
    ShowResult();
    return true;
}

const char* GameRecord::ShowResult() {
    const char* text = judge_game().announcement;
    tellPlayer(text);
    if (text) forgetUnfinishedGame(); // an ended game is no longer kept
    return text;
}

namespace {

// The move at index i of a block of 4-byte moves, least significant byte first.
RecordedMove blockMove(const unsigned char* bytes, int i) {
    const unsigned char* b = bytes + 4 * i;
    return RecordedMove(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                        uint32_t(b[3]) << 24);
}

} // namespace

bool GameRecord::MovesLoadable(const unsigned char* bytes, int count) {
    if (count < 0 || (count > 0 && !bytes)) return false;
    PieceId ids[64];
    PromotedPawns prom = 0;
    start_square_ids(ids);
    // Each move must name the piece on its origin and be legal: a game the engine cannot follow
    // would leave the board, the record and the engine telling different games.
    bool sound = true;
    resetEngine();
    for (int i = 0; i < count && sound; ++i) {
        const RecordedMove m = blockMove(bytes, i);
        sound = apply_recorded_move(m, ids, &prom, nullptr, true) &&
                playOnEngine(rm_from_row(m), rm_from_column(m), rm_to_row(m), rm_to_column(m));
    }
    resetEngine(); // back to the game the record holds
    for (const RecordedMove& m : moves)
        (void)playOnEngine(rm_from_row(m), rm_from_column(m), rm_to_row(m), rm_to_column(m));
    return sound;
}

bool GameRecord::LoadMoves(const unsigned char* bytes, int count) {
    if (!MovesLoadable(bytes, count)) {
        tellPlayer("Damaged game received : not loaded");
        return false;
    }
    // The same game sent again keeps its day; another one does not say when it started.
    bool sameGame = moves.count > 0 && count >= moves.count;
    for (int i = 0; i < moves.count && sameGame; ++i)
        sameGame = blockMove(bytes, i) == moves[i];
    const std::string day = sameGame ? startDay : count > 0 ? UNKNOWN_PGN_DATE : "";
    NewGame(true);
    startDay = day;
    for (int i = 0; i < count; ++i) {
        moves.push(blockMove(bytes, i));
        apply_recorded_move(moves[i], square_ids, &promoted, &captured, false);
    }
    return true;
}

void GameRecord::UndoLastMove() {
    if (moves.count == 0) return;
    NewGame(false);
    moves.pop();
    for (const RecordedMove& m : moves)
        apply_recorded_move(m, square_ids, &promoted, &captured, false);
}

int GameRecord::TakeBack() {
    // Against the computer on the player's turn the last move is the computer's reply: taken
    // back alone, the computer would play it again at once.
    int count = 1;
    if (localGame() && g_board && g_game->sideToMove == g_game->humanColour) count = 2;
    if (moves.count < count) return 0;
    for (int i = 0; i < count; ++i)
        UndoLastMove();
    RestoreBoard();
    return count;
}

void GameRecord::RestoreBoard() {
    // The engine is replayed from the start whatever state it was left in (a refused load
    // leaves it in the current game).
    resetEngine();
    replayPlies = -1;
    for (const RecordedMove& m : moves) {
        const int fr = rm_from_row(m), fc = rm_from_column(m), tr = rm_to_row(m),
                  tc = rm_to_column(m);
        if (localGame())
            HumanMove(fr, fc, tr, tc);
        else
            (void)playOnEngine(fr, fc, tr, tc); // quietly: only the banner tells the end
    }
    judgeRebuiltGame(moves.count);
    BoardScene* b = g_board;
    if (!b) return;
    layOutBoard(square_ids, captured, promoted);
    int side = moves.count ? 1 - rm_colour(moves[moves.count - 1]) : 0;
    CameraToGameView(false, true, side);
    g_game->clearSelection();
    if (g_game->sideToMove != side) g_game->endTurn();
}

void GameRecord::ShowPlies(int plies) {
    plies = plies < 0 ? 0 : plies > moves.count ? moves.count : plies;
    replayEngine(moves, plies);
    PieceId ids[64];
    PromotedPawns shownPromoted = 0;
    static GrowArray<PieceId> taken; // kept: a replay steps often
    taken.clear();
    start_square_ids(ids);
    for (int i = 0; i < plies; ++i)
        apply_recorded_move(moves[i], ids, &shownPromoted, &taken, false);
    if (g_board) layOutBoard(ids, taken, shownPromoted);
    replayPlies = plies == moves.count ? -1 : plies;
}

void GameRecord::DropMovesAfter(int count) {
    while (moves.count > count)
        moves.pop();
    captured.clear();
    promoted = 0;
    start_square_ids(square_ids);
    for (const RecordedMove& m : moves)
        apply_recorded_move(m, square_ids, &promoted, &captured, false);
    replayEngine(moves, moves.count);
    replayPlies = -1;
}
