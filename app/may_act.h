#pragma once
// Who may act now. Whether the local player, the computer, the network peer, a request or a view
// may act depends on several flags of the AppState, the board, the interface and the connection
// at once; these predicates are the one place that reads them together. Every handler (keys,
// clicks, the computer's turn, the receive handler, the screens) asks here instead of testing
// the flags itself, so a new flag changes one predicate, not five handlers.
//
//   state                                    player clicks  computer  peer's clicks  requests
//   intro, connection wait                   no             no        (bytes wait)   no
//   menu or pause view up                    no             no        yes            no
//   a piece glides                           no             no        wait           yes
//   the other side's turn                    no             yes/-     yes            yes
//   this side asked and waits for an answer  no             -         yes            no
//   a question window is up                  no (answer)    yes       yes            no
//   a whole game is on its way               no             -         wait           no

// The kind of game.
bool networkGame(); // hosting or joining
// The board and the views.
bool boardInMotion();    // a piece glides, or a castling rook still has to
bool menuOrPauseShown(); // the option menu is open or the pause view is on
// A whole game from the peer is being received, or expected after an accepted load: the board
// it will replace must not change meanwhile.
bool wholeGameAwaited();

// The local player selects, chooses a target and plays on the board: a game on screen, the
// player's own turn, a still board, no request of the player's waiting for its answer, a game
// not yet ended (game/game_end_state.h).
bool mayPlayerClickBoard();
// The camera follows the mouse (drag, wheel) and the view keys (End, Home, A): a game on screen.
bool mayPlayerMoveCamera();
// The engine's suggestion (?) for the player: a local game, the player's turn, a still board.
bool maySuggestMove();
// A request (a load from the load screen in a network game): nothing else asked of either
// player or being answered, no game on its way. With the R, S and B keys, also not over the
// menu or the pause view.
bool mayAskRequest();
bool mayAskRequestByKey();
// Escape opens or closes the menu; Pause switches the pause view; the close box opens the quit
// page. The menu and the pause view never show together.
bool mayToggleMenu();
bool mayTogglePause();
bool mayUseCloseBox();

// The move line opens (a game on screen, no question up); a move typed there is played when the
// player may click the board.
bool mayTypeMove();
// The replay keys step through a game against the computer on screen: a still board, no question
// up. Never in a network game, where both boards must show the same position.
bool mayStepReplay();

// The computer starts its move: a local game not ended, its turn, a still board, no menu or
// pause.
bool mayComputerMove();
// The computer's turn, asked by whatever ends a wait (a glide, a camera flight, the menu's
// closing, a swap, a lost peer): it moves now if it may.
void computerTurnIfDue();

// A click of the peer is replayed on this board: the peer's turn, a still board, no whole game
// on its way.
bool mayReplayPeerClick();
