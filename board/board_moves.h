// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The moves' pictures on the board (g_board): the glide of a piece and of the castling rook
// after its king, a taken piece's node parked in its graveyard, the landing, and the camera
// travels. Every move is judged and recorded by the game model (GameModel::tryMove, whoever made
// it: local player, computer, network peer), which starts the pictures through its hooks.

struct PieceRecord;
struct SquareRecord;

// The moveStarted hook: the node of `piece`, hanging under square `from`, glides to `to`; the
// castling `rook` (or null) glides after it. The records have moved already.
void startMoveGlide(PieceRecord* piece, const SquareRecord* from, const SquareRecord* to,
                    PieceRecord* rook);

// The pieceTaken hook: the node of a piece taken off the board is parked under its graveyard.
void parkTakenPiece(PieceRecord* piece);

// The glide alone, records untouched (a replayed move): `piece`, whose node hangs under square
// `from`, glides to `to`; pieceInMotion is set meanwhile and `on_end` runs at the end (at once
// when there is nothing to animate).
void glidePiece(PieceRecord* piece, const SquareRecord* from, const SquareRecord* to,
                void (*on_end)());

// End of a glide: the node is laid on its new square; after a move (not the castling king's)
// the camera turns to the side to move, or the computer answers.
void finishMove(bool castlingKing);

// The camera flies to `view` (eased for the game views 0-4, linear otherwise), then `on_end`.
void CameraTravel(int view, void (*on_end)());

// Sets the camera's game view anew: with `start` the camera flies to `view` and the computer
// moves on arrival if it is its turn; without, only the view indices change.
void CameraToGameView(bool stop_all, bool start, int view);
