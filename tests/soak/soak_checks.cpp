// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/soak/soak_checks.h"
#include "board/intro.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/input.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/captured_row.h"
#include "board/check_mark.h"
#include "chess/position.h"
#include "engine/KivEngine.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/pgn.h"
#include "game/settings.h"
#include "net/KivNetwork.h"
#include "netplay/host_peer.h"
#include "netplay/messages.h"
#include "netplay/net_session.h"
#include "ui/game_end_banner.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace soak {

namespace {

constexpr double COMPUTER_WAIT_LIMIT = 10.0; // game-clock seconds
constexpr float PLACE_TOLERANCE = 0.001f;

std::string failed(const char* invariant, const std::string& what) {
    return std::string(invariant) + ": " + what;
}

std::string squareName(int s) {
    return std::string{char('a' + s % 8), char('8' - s / 8)};
}

int cameraPreset() {
    const NodeAnimEntry* e = g_board ? FindNodeEntry(g_board->camera) : nullptr;
    return e ? e->preset : -1;
}

bool cameraFlying() {
    const NodeAnimEntry* e = g_board ? FindNodeEntry(g_board->camera) : nullptr;
    return e && e->state != ANIM_STOPPED;
}

// A marker shows when it hangs under a square rather than parked under the camera.
bool markerShown(const KNodeGraph* marker) {
    return marker && marker->parent && marker->parent != g_board->camera;
}

bool peerConnected() {
    if (netSession().client) return netSession().client->sock != KNET_NO_SOCKET;
    return netSession().server && netSession().server->port && netSession().server->port->sockets;
}

// The record's first `count` moves hashed (all of them by default).
unsigned recordHash(int count = -1) {
    unsigned h = 2166136261u;
    const int n = count < 0 ? g_game->record.moves.count : count;
    for (int i = 0; i < n; ++i)
        h = (h ^ unsigned(g_game->record.moves[i])) * 16777619u;
    return h;
}

} // namespace

std::string stateSummary() {
    const AppState* a = g_app;
    const Interface* u = g_ui;
    const NodeAnimEntry* cam = FindNodeEntry(g_board->camera);
    char text[512];
    std::snprintf(
        text, sizeof text,
        "menuOpen %d menuActive %d cameraView %d boardLocked %d inputSuspended %d introRunning %d "
        "gameStarted %d connectIdle %d requestPending %d netPendingFlag %d | page %d wall %s "
        "load %d save %d connect %d banner %d water %d question %d | camera preset %d state %d "
        "owes-menu-close %d | side %d human %d moves %d gliding %d | server %d client %d",
        g_game->menuOpen, u->menuActive, g_game->cameraView, g_game->boardLocked,
        g_game->inputSuspended, g_game->introRunning, g_game->gameStarted, netSession().connectIdle,
        g_game->requestPending, netSession().netPendingFlag, u->page,
        u->wallRoot && !u->wallRoot->hidden ? "shown" : "hidden", u->loadScreenOpen,
        u->saveScreenOpen, u->connectScreenOpen, u->quitBannerShown, u->waterShown,
        g_game->questionShown, cam ? cam->preset : -1, cam ? cam->state : -9,
        NodeAnimOwes(g_board->camera, menuClosedCallback), g_game->sideToMove, g_game->humanColour,
        g_game->record.moves.count, g_game->boardInMotion(), netSession().server != nullptr,
        netSession().client != nullptr);
    std::string held;
    for (int k = 0; k < 256; ++k)
        if (a->keysDown[k]) held += " " + std::to_string(k);
    const TextOverlay* o = u->overlay;
    return std::string(text) + " | confirmed " + std::to_string(u->choiceConfirmed) +
           " name line " + std::to_string(o && o->nameLine && o->nameLine->visible) + " chat " +
           std::to_string(o && o->chatLines[0] && o->chatLines[0]->visible) + " | keys held" + held;
}

void Checks::beforeAction() {
    requestWaited_ = g_game->requestPending;
    requestCode_ = g_game->pendingRequest;
    requestMoves_ = g_game->record.moves.count;
    requestHash_ = recordHash();
    gamesLoaded_ = WholeGamesLoaded();
    endedAt_ = gameEndedAtMoves();
    movesBefore_ = g_game->record.moves.count;
    humanBefore_ = g_game->humanColour;
}

std::string Checks::afterStep(double seconds) {
    std::string (Checks::*const all[])() = {&Checks::board,     &Checks::views,
                                            &Checks::selection, &Checks::requests,
                                            &Checks::infoLine,  &Checks::ending};
    for (auto check : all) {
        ++count_;
        std::string f = (this->*check)();
        if (!f.empty()) return f;
    }
    ++count_;
    return computer(seconds);
}

std::string Checks::board() {
    GameRecord* r = &g_game->record;
    // Only legal moves are ever recorded: replayed from the start whenever the record changes.
    const unsigned hash = recordHash();
    if (r->moves.count != movesChecked_ || hash != movesHash_) {
        ReplayedGame game;
        replay_recorded_game(r->moves.block, r->moves.count, game);
        if (game.refused_at >= 0)
            return failed("board", "recorded move " + std::to_string(game.refused_at + 1) + " (" +
                                       game.refused_text + ") is not legal");
        movesChecked_ = r->moves.count;
        movesHash_ = hash;
    }
    if (g_game->boardInMotion()) return "";
    // The position the board shows: the record's, or an earlier one of the same game while the
    // replay steps through it (the record stays whole meanwhile).
    const int shown = r->ShownCount();
    static PieceId ids[64];
    static GrowArray<PieceId> taken;
    std::memcpy(ids, r->square_ids, sizeof ids);
    const GrowArray<PieceId>* captured = &r->captured;
    if (shown != r->moves.count) {
        PromotedPawns promoted = 0;
        taken.clear();
        start_square_ids(ids);
        for (int i = 0; i < shown; ++i)
            apply_recorded_move(r->moves[i], ids, &promoted, &taken, false);
        captured = &taken;
    }
    static const int ENGINE_KIND[8] = {-1, -1, PAWN, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    for (int s = 0; s < 64; ++s) {
        const SquareRecord& sq = g_game->squares[s];
        const PieceRecord* p = sq.piece;
        const PieceId id = ids[s];
        if (p && p->square != &sq)
            return failed("board", squareName(s) + " links a piece elsewhere");
        const bool agree = p ? id == make_piece_id(p->colour, p->kind, p->index) &&
                                   square_color[s] == p->colour &&
                                   square_piece[s] == ENGINE_KIND[movingKind(p)]
                             : id == NO_PIECE && square_color[s] == EMPTY;
        if (!agree) return failed("board", "board, record and engine differ on " + squareName(s));
    }
    for (const PieceRecord* p : g_game->pieces) {
        if (!p->node) continue;
        if (!p->square) {
            if (p->node->parent != p->graveyard)
                return failed("board", "a taken piece stands outside the captured row");
            continue;
        }
        const int s = p->row * 8 + p->column;
        if (p->square != &g_game->squares[s] || g_game->squares[s].piece != p)
            return failed("board", "piece records disagree on " + squareName(s));
        const KPRS& t = p->node->prs;
        if (p->node->parent != p->square->node || std::fabs(t.pos.x) > PLACE_TOLERANCE ||
            std::fabs(t.pos.z) > PLACE_TOLERANCE)
            return failed("board", "the piece on " + squareName(s) + " is drawn elsewhere");
    }
    for (PieceId id : *captured) {
        const PieceRecord* p = g_game->pieceOf(id_colour(id), id_kind(id), id_index(id));
        if (!p || p->square) return failed("board", "a taken piece is on the board");
    }
    const int side = shown ? 1 - rm_colour(r->moves[shown - 1]) : 0;
    if (g_game->sideToMove != side || side_to_move != side)
        return failed("board", "the side to move is not the record's");
    // The red square shows exactly when the engine finds the side to move in check, under its
    // king; the captured row holds exactly the pieces taken, by colour in the order taken.
    const PieceRecord* king = g_game->pieceOf(side, KIND_KING, 0);
    const int checked =
        side_in_check(side) && king && king->square ? king->row * 8 + king->column : -1;
    if (const int mark = shownCheckSquare(); mark != checked)
        return failed("board", "the check mark shows on " +
                                   (mark < 0 ? std::string("no square") : squareName(mark)) +
                                   ", the king in check is on " +
                                   (checked < 0 ? std::string("none") : squareName(checked)));
    for (int colour = 0; colour < 2; ++colour) {
        int row[16], expected[16], count = 0;
        const int shownCount = shownCapturedPieces(colour, row);
        for (PieceId id : *captured)
            for (int i = 0; i < 32 && id_colour(id) == colour && count < 16; ++i)
                if (g_game->pieces[i] == g_game->pieceOf(colour, id_kind(id), id_index(id)))
                    expected[count++] = i;
        if (shownCount != count || !std::equal(row, row + count, expected))
            return failed("board", std::string("the captured row of ") +
                                       (colour ? "Black" : "White") + " shows " +
                                       std::to_string(shownCount) + " pieces, not the " +
                                       std::to_string(count) + " taken in order");
    }
    return "";
}

std::string Checks::views() {
    const Interface* ui = g_ui;
    if (g_game->menuOpen && g_game->cameraView)
        return failed("views", "menu and pause view together");
    if (g_game->introRunning) return "";
    if (ui->menuActive != g_game->menuOpen) return failed("views", "menu keys and menu disagree");
    if (g_game->gameStarted && g_game->boardLocked != (g_game->menuOpen || g_game->cameraView))
        return failed("views", "the board's lock does not follow the menu and the pause");
    if (g_game->awaitingOpponent != (g_game->sideToMove != g_game->humanColour))
        return failed("views", "the opponent's turn is not the board's");
    const int preset = cameraPreset();
    if (g_game->menuOpen && g_game->gameStarted && preset != ANIM_VIEW_MENU)
        return failed("views",
                      "the menu is open but the camera flies to view " + std::to_string(preset));
    if (g_game->cameraView && preset != ANIM_VIEW_TOUR)
        return failed("views", "the pause view is on but the camera flies to view " +
                                   std::to_string(preset));
    if (g_game->gameStarted && !g_game->menuOpen && g_board->boardPivot &&
        g_board->boardPivot->hidden)
        return failed("views", "the menu is closed over a hidden board");
    const bool wallShown = ui->wallRoot && !ui->wallRoot->hidden;
    const bool wallDue = g_game->menuOpen || NodeAnimOwes(g_board->camera, menuClosedCallback) ||
                         NodeAnimOwes(g_board->camera, MenuReadyCallback);
    if (wallShown && !wallDue) return failed("views", "the wall shows with the menu closed");
    if (g_game->questionShown && ui->request && ui->request->hidden)
        return failed("views", "a question is asked in a hidden window");
    if (!cameraFlying() && g_game->menuOpen && g_game->cameraView)
        return failed("views", "the camera rests between the menu and the pause");
    return "";
}

std::string Checks::selection() {
    BoardScene* b = g_board;
    // A changed game (a move, a new, loaded, received or taken-back game, a swap of colours) or a
    // new peer starts with nothing selected: a selection kept across would play a move one click
    // later that the new game (or the peer) never saw chosen.
    const unsigned hash = recordHash();
    // The host's peer is the connection that plays: a newcomer waiting beside it has not been
    // given the game yet.
    const void* connection = netSession().client   ? static_cast<const void*>(netSession().client)
                             : netSession().server ? static_cast<const void*>(playingPeer())
                                                   : nullptr;
    const bool changed = hash != selectionHash_ || g_game->humanColour != selectionColour_ ||
                         (connection && connection != selectionConnection_);
    // The same selection and target as before the step: kept across the change. (A click of the
    // peer replayed after the change in the same frame makes a new one.)
    const bool kept = g_game->chosenTarget && g_game->chosenTarget == selectionTarget_ &&
                      g_game->selectedPiece == selectionPiece_;
    // With two clicks the player's click that chooses a target plays the move at once: a target
    // of the player's own chosen during the step and still chosen waits for a click never due.
    const bool targetWaits = gameSettings().twoClickMoves && g_game->chosenTarget && !kept &&
                             g_game->selectedPiece &&
                             g_game->selectedPiece->colour == g_game->humanColour;
    selectionHash_ = hash;
    selectionColour_ = g_game->humanColour;
    selectionConnection_ = connection;
    selectionPiece_ = g_game->selectedPiece;
    selectionTarget_ = g_game->chosenTarget;
    if (changed && kept)
        return failed("selection", "a piece and target chosen outlived a change of game, colours "
                                   "or peer");
    const PieceRecord* selected = g_game->selectedPiece;
    if (g_game->selectedPiece &&
        (!selected || !selected->square || selected->colour != g_game->sideToMove))
        return failed("selection",
                      "the selected piece is not one the side to move has on the board");
    if (g_game->chosenTarget && !g_game->selectedPiece)
        return failed("selection", "a target without a selected piece");
    if (targetWaits) return failed("selection", "two clicks: the player's move waits for a third");
    const bool selectShown = markerShown(b->selectMarkerWhite) || markerShown(b->selectMarkerBlack);
    const bool targetShown = markerShown(b->targetMarkerWhite) || markerShown(b->targetMarkerBlack);
    if (selectShown != (g_game->selectedPiece != nullptr))
        return failed("selection", selectShown ? "a select mark without a selection"
                                               : "a selection without its mark");
    if (targetShown != (g_game->chosenTarget != nullptr))
        return failed("selection",
                      targetShown ? "a target mark without a target" : "a target without its mark");
    return "";
}

std::string Checks::requests() {
    if (g_game->requestPending && !peerConnected())
        return failed("requests", "a request waits for an answer nobody can give");
    // The player who asked does not move while the answer is awaited: the answer (a swap, a
    // take-back) would land between the player's clicks, and the peer would replay them on
    // another game. A request waiting before the step's action and after it was not answered
    // in between.
    const GameRecord* r = &g_game->record;
    // A whole game the peer sent (after a load this side accepted) may hold one move more: it
    // is the peer's game, not a move of this player.
    const bool ownMoveAdded = WholeGamesLoaded() == gamesLoaded_ &&
                              r->moves.count == requestMoves_ + 1 &&
                              recordHash(requestMoves_) == requestHash_ &&
                              rm_colour(r->moves[r->moves.count - 1]) == g_game->humanColour;
    const bool waitedThrough = requestWaited_ && g_game->requestPending;
    const bool askedAgain = waitedThrough && g_game->pendingRequest != requestCode_;
    if (waitedThrough && ownMoveAdded)
        return failed("requests", "the player moved while its own request waited for its answer");
    // One request at a time: the answer to the first would be taken for the second's.
    if (askedAgain)
        return failed("requests", std::string("a second request (") + char(g_game->pendingRequest) +
                                      ") was asked while one (" + char(requestCode_) + ") waited");
    return "";
}

std::string Checks::infoLine() {
    const KTexte* info = g_ui->overlay ? g_ui->overlay->infoText : nullptr;
    if (info && std::strncmp(info->texte, "Internal error", 14) == 0)
        return failed("info line", info->texte);
    return "";
}

std::string Checks::ending() {
    const GrowArray<RecordedMove>& moves = g_game->record.moves;
    const int endedAt = gameEndedAtMoves();
    // Still the same ended game: whatever was added since is a network peer's.
    for (int i = movesBefore_; endedAt_ >= 0 && endedAt == endedAt_ && i < moves.count; ++i)
        if (localGame() || rm_colour(moves[i]) == humanBefore_)
            return failed("ending", "move " + std::to_string(i + 1) + " came after the end");
    // The engine's verdict on the moves up to the end, replayed when the record or end change.
    const GameVerdict& v = gameVerdict();
    const int judged = v.over() ? endedAt : moves.count;
    const unsigned hash = recordHash(judged) ^ unsigned(v.end);
    if (hash != judgedHash_ && v.end != WHITE_RESIGNS && v.end != BLACK_RESIGNS) {
        ReplayedGame game;
        replay_recorded_game(moves.block, judged, game);
        if (game.refused_at < 0 && game.end != v.end)
            return failed("ending", std::string("the game ended \"") + game_verdict(v.end).result +
                                        "\", the engine says \"" + game_verdict(game.end).result +
                                        "\"");
    }
    judgedHash_ = hash;
    const bool inView = g_game->gameStarted && !g_game->menuOrPauseShown() && !g_game->introRunning;
    const std::string shown = gameEndBannerShown() ? gameEndBannerShown() : "";
    if (shown != (v.over() && inView ? v.banner : ""))
        return failed("ending", "the banner shows \"" + shown + "\"");
    // Nobody is to move in a finished game: the turn sign would name the loser.
    if (v.over() && inView && g_ui->turn && !g_ui->turn->hidden)
        return failed("ending", "the turn sign shows over the finished game");
    return "";
}

std::string Checks::computer(double seconds) {
    // Due: a game against the computer, its turn, a move to play, nothing moving (no glide, no
    // camera flight, whose end would ask it) and nothing shown over the board.
    const bool due = localGame() && g_game->gameStarted && !gameFinished() &&
                     g_game->computerToMove() && !g_game->menuOrPauseShown() &&
                     !g_game->boardInMotion() && !cameraFlying();
    computerWaited_ = due ? computerWaited_ + seconds : 0;
    if (computerWaited_ > COMPUTER_WAIT_LIMIT)
        return failed("computer", "its turn came on a still board and it has not moved");
    return "";
}

} // namespace soak
