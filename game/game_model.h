// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game without its picture: the board's records (which piece stands where, whose turn it
// is, the local player's colour, the piece gliding), the flags that decide who may act (the intro,
// the menu, the pause view, a suspended or locked input, the opponent's turn), the player's
// selection on the board, and the request sent to the peer and the question waiting for the local
// player's answer, and whether this is a network game. One instance (g_game), made by buildGame
// right after the application state, before the board. Everything runs on the frame loop's thread.

#include <cstdint>
#include <string>

#include "game/board_records.h"
#include "game/game_record.h"
#include "game/game_sounds.h"

// Where a click on a square comes from. The three local sources take one path; the peer's
// differs where GameModel::clickSquare says.
enum class ClickSource {
    Player,           // the local player's mouse, on a square or the piece standing there
    MoveLine,         // a move typed on the move line, as its three clicks
    AgreedReplayMove, // the move the player agreed to play from an earlier replay position
    Peer,             // the network peer's click, replayed from its 'M' message
};
enum class ClickOutcome { Ignored, Selected, Targeted, Confirmed, Cleared, Asked };
constexpr int OFF_BOARD = -1; // the peer's cleared selection (40, 40 on the wire)

// What the model asks of, or tells, the floors above it: plain function pointers the top floor
// (app/wiring.cpp) installs at start-up. A hook runs at once, where the model calls it. Each may
// be null (a world without them): the model then answers as a game against the computer, with
// no connection waiting and nothing on its way.
struct GameHooks {
    bool (*networkGame)() = nullptr;       // a KServer or a KClient exists (netplay/)
    bool (*waitingForHost)() = nullptr;    // the joining side waits for the host's answer
    bool (*wholeGameExpected)() = nullptr; // a whole game is being received, or awaited after
                                           // an accepted load
    // The board's marks (board/): the engine's advice to the player, marked for `seconds`.
    void (*suggestion)(int from, int to, float seconds) = nullptr;
    // The board's pieces (board/): a move's glide starts (the castling rook's after its king's),
    // a taken piece's node goes to its graveyard. The records have moved already.
    void (*moveStarted)(PieceRecord* piece, const SquareRecord* from, const SquareRecord* to,
                        PieceRecord* rook) = nullptr;
    void (*pieceTaken)(PieceRecord* piece) = nullptr;
    // The board's selection marks (board/): the select mark, the target mark; null parks it.
    void (*selectShown)(SquareRecord* square) = nullptr;
    void (*targetShown)(SquareRecord* square) = nullptr;
    // The signs and the request window (ui/).
    void (*turnShown)(int side) = nullptr;           // the turn sign faces the side to move
    void (*playerColourShown)(int colour) = nullptr; // the player sign, shown, faces that colour
    void (*question)(const char* line1, const char* line2) = nullptr; // the request window opens
    // Sounds (anim/): one sound, and a move's sound chosen when its glide has landed.
    void (*soundPlayed)(GameSound sound) = nullptr;
    void (*moveSoundStarted)(bool capture) = nullptr;
    void (*moveSoundLanded)() = nullptr;
    // The peer (netplay/): each selection step of the local player, row and column 40 for a
    // cleared selection.
    void (*squareClicked)(int row, int column) = nullptr;
};

// Calls `hook` with `args` when it is installed.
template <typename... Params, typename... Args>
void fireHook(void (*hook)(Params...), Args... args) {
    if (hook) hook(args...);
}

// Who may act now. Whether the local player, the computer, the network peer, a request or a view
// may act depends on several flags of the model, the views and the connection at once; the
// predicates below are the one place that reads them together. Every handler (keys, clicks, the
// computer's turn, the receive handler, the screens) asks them instead of testing the flags
// itself, so a new flag changes one predicate, not five handlers.
//
//   state                                    player clicks  computer  peer's clicks  requests
//   intro, connection wait                   no             no        (bytes wait)   no
//   menu or pause view up                    no             no        yes            no
//   a piece glides                           no             no        wait           yes
//   the other side's turn                    no             yes/-     yes            yes
//   this side asked and waits for an answer  no             -         yes            no
//   a question window is up                  no (answer)    yes       yes            no
//   a whole game is on its way               no             -         wait           no

struct GameModel {
    // ---- The board's records -------------------------------------------------------------------
    SquareRecord squares[64];
    int32_t sideToMove = 0;  // colour to move
    int32_t humanColour = 0; // colour the local player plays
    // The 16 pawns as White 0, Black 0, White 1, ...; White queen, Black queen; White king,
    // Black king; then bishops, knights, rooks, each White 0, Black 0, White 1, Black 1.
    PieceRecord* pieces[32] = {};
    PieceRecord* pieceInMotion = nullptr; // piece whose glide plays; board clicks wait for it
    PieceRecord* castlingRook = nullptr;  // rook to glide after the king's glide, or null
    // ---- The game as played, the link to the chess engine --------------------------------------
    GameRecord record; // made after the opponent is chosen: its new game reads the level
    // ---- Who may act -------------------------------------------------------------------------
    uint8_t inputSuspended = 0;   // intro plays / connection wait: keys and clicks ignored
    uint8_t boardLocked = 0;      // menu open or pause view: board clicks, drag, view keys ignored
    uint8_t awaitingOpponent = 0; // not the local human's turn: board clicks ignored
    uint8_t cameraView = 0;       // the pause view is on
    uint8_t menuOpen = 0;         // the option menu is shown
    uint8_t gameStarted = 0;      // a game was started; until then the menu cannot be closed
    uint8_t introRunning = 0;     // the intro plays; only Escape (skip) is honoured
    // ---- The selection -----------------------------------------------------------------------
    PieceRecord* selectedPiece = nullptr; // the selected piece, or null
    SquareRecord* chosenTarget = nullptr; // square chosen as destination, or null
    // ---- Requests and the question -------------------------------------------------------------
    uint8_t requestPending = 0; // a request was sent to the peer and waits for its answer
    int32_t pendingRequest = 0; // 'R' 82, 'W' 87, 'B' 66
    int32_t questionCode = 0;   // question the local player confirms: 'R', 'W', 'B', 'L' 76
    uint8_t questionShown = 0;  // the request window is up
    std::string fileName;       // saved-game name chosen on the load screen
    GameHooks hooks;

    // The 64 squares and 32 pieces with kind, index and colour, reset with White for the local
    // player.
    GameModel();
    ~GameModel(); // deletes the pieces
    GameModel(const GameModel&) = delete;
    GameModel& operator=(const GameModel&) = delete;

    // The records of every piece on its start square (a promoted pawn stays flagged: the board
    // turns it back with its mesh first), White to move, `awaitingOpponent` set when the local
    // player is Black.
    void resetBoard(int32_t colour);
    // The piece of that colour, kind and index, or null for a kind outside 2 to 7 or an index
    // the kind does not have.
    PieceRecord* pieceOf(int colour, int kind, int index) const;

    // ---- Clicks (game/selection.cpp) -----------------------------------------------------------
    // One click on square 0..63 (OFF_BOARD: the peer's clear). The local sources need
    // mayPlayerClickBoard (the peer's clicks are let through by their receive pass, with
    // mayReplayPeerClick). The local steps are reported to the peer (squareClicked) in a network
    // game; only the Player's and the MoveLine's confirming click may be held by the replay's
    // question (Asked); only the local sources sound a refusal. Confirmed comes back for a
    // confirming click whether or not the record took the move.
    ClickOutcome clickSquare(int square, ClickSource from);
    // The selection forgotten and both marks hidden (a move played, a new or changed game, the
    // peer's cleared selection).
    void clearSelection();

    // ---- Moves on the records (game/board_rules.cpp, game/board_moves.cpp) ---------------------
    // Whether `piece` may move to `target` on the records (the board's own rules, independent of
    // the chess engine), the mover's king not left attacked. With `execute` and an allowed move,
    // the move is started (record, capture, glide, castling rook, en passant, promotion); false
    // when the game record refuses it (the engine found it illegal), and then nothing was
    // changed. With `execute` false the records are left exactly as they were.
    bool tryMove(PieceRecord* piece, SquareRecord* target, bool execute);
    // Whether a piece of `byColour` attacks `square`, on the records.
    bool isAttacked(const SquareRecord* square, int byColour);
    // Whether `colour` has any move that tryMove allows.
    bool hasLegalMove(int colour);
    // Executes an allowed move: records it (false, nothing changed, when the record refuses it),
    // takes a piece on the target off, links the piece to the target and starts its glide
    // (moveStarted). `rook` is the castling rook that glides after the king, or null.
    bool startMove(PieceRecord* piece, SquareRecord* target, PieceRecord* rook);
    // Takes a piece off the board: unlinked from its square, row and column -1, then pieceTaken.
    void sendToGraveyard(PieceRecord* piece);
    // A glide has ended: the piece that glided (pieceInMotion, now cleared), or null.
    PieceRecord* pieceLanded();
    // Flips the side to move (turnShown) and announces check, checkmate ("CHECKMATE - Winner
    // ...") or stalemate ("1/2-1/2 {Stalemate}") from whether the side to move has any legal move.
    void endTurn();
    // Whether the computer answers now: a local game, the computer's colour to move, a move to
    // play, and the board showing the game's latest position (not an earlier one of a replay).
    // After the player's mate or stalemate the result stays on the info line.
    bool computerToMove();
    // The local player takes the other colour (playerColourShown); the computer moves if it is
    // now its turn.
    void swapColours();

    // This machine hosts or joins a network game (asked of the network session).
    bool networkGame() const { return hooks.networkGame && hooks.networkGame(); }

    // ---- Who may act (game/may_act.cpp; the table above) ----------------------------------------
    bool boardInMotion() const;    // a piece glides, or a castling rook still has to
    bool menuOrPauseShown() const; // the option menu is open or the pause view is on
    // A whole game from the peer is being received, or expected after an accepted load: the
    // board it will replace must not change meanwhile.
    bool wholeGameAwaited() const;
    // The local player selects, chooses a target and plays on the board: a game on screen, the
    // player's own turn, a still board, no request of the player's waiting for its answer, a
    // game not yet ended (game/game_end_state.h).
    bool mayPlayerClickBoard() const;
    // The camera follows the mouse (drag, wheel) and the view keys (End, Home, A): a game on
    // screen.
    bool mayPlayerMoveCamera() const;
    // The engine's suggestion (?) for the player: a local game, the player's turn, a still board.
    bool maySuggestMove() const;
    // A request (a load from the load screen in a network game): nothing else asked of either
    // player or being answered, no game on its way. With the R, S and B keys, also not over the
    // menu or the pause view.
    bool mayAskRequest() const;
    bool mayAskRequestByKey() const;
    // Escape opens or closes the menu; Pause switches the pause view; the close box opens the
    // quit page. The menu and the pause view never show together. The pause waits while the
    // camera still flies back from the menu (`cameraFlyingBackFromMenu`, the picture's fact): it
    // would take the flight over and the menu's closing would end in the pause tour.
    bool mayToggleMenu() const;
    bool mayTogglePause(bool cameraFlyingBackFromMenu) const;
    bool mayUseCloseBox() const;
    // The move line opens (a game on screen, no question up); a move typed there is played when
    // the player may click the board.
    bool mayTypeMove() const;
    // The replay keys step through a game against the computer on screen: a still board, no
    // question up. Never in a network game, where both boards must show the same position.
    bool mayStepReplay() const;
    // The computer starts its move: a local game not ended, its turn, a still board, no menu or
    // pause.
    bool mayComputerMove();
    // The computer's turn, asked by whatever ends a wait (a glide, a camera flight, the menu's
    // closing, a swap, a lost peer): it moves now if it may.
    void computerTurnIfDue();
    // A click of the peer is replayed on this board: the peer's turn, a still board, no whole
    // game on its way.
    bool mayReplayPeerClick() const;

    // ---- The engine's advice (game/move_suggestion.cpp) -----------------------------------------
    // The suggestion key: in a game against the computer, on the player's turn with nothing
    // moving, the engine's move for the player marked for SUGGESTION_SECONDS. False when not
    // asked now.
    bool suggestMoveForPlayer();
};

constexpr float SUGGESTION_SECONDS = 3.0f;

// One instance for the process, made by buildGame (app/game_main.cpp) and never deleted.
extern GameModel* g_game;

// A game against the computer: neither hosting nor joining (also without a model at all).
bool localGame();
