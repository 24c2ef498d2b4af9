#pragma once
// Moving pieces on the board (g_board): the board's own move rules, the glide of a piece, captures,
// castling and en passant, the end of a turn with its check, mate and stalemate messages, the
// swap of colours and the camera travels. Every move reaches the
// board through tryMove, whoever made it (local player, computer, network peer).

struct PieceRecord;
struct SquareRecord;

// Whether `piece` may move to `target` on the board's records (its own rules, independent of the
// chess engine), the mover's king not left attacked. With `execute` and an allowed move, the move
// is started (record, capture, glide, castling rook, en passant, promotion); false when the game
// record refuses it (the engine found it illegal), and then nothing was changed. With `execute`
// false the board is left exactly as it was.
bool tryMove(PieceRecord* piece, SquareRecord* target, bool execute);

// Whether a piece of `byColour` attacks `square`, on the board's records.
bool isAttacked(const SquareRecord* square, int byColour);

// Whether `colour` has any move that tryMove allows.
bool hasLegalMove(int colour);

// Executes an allowed move: records it (false, nothing changed, when the record refuses it),
// takes a piece on the target off, links the piece to the target and starts its glide. `rook` is
// the castling rook that glides after the king, or null.
bool startMove(PieceRecord* piece, SquareRecord* target, PieceRecord* rook);

// The glide alone, records untouched (a replayed move): `piece`, whose node hangs under square
// `from`, glides to `to`; pieceInMotion is set meanwhile and `on_end` runs at the end (at once
// when there is nothing to animate).
void glidePiece(PieceRecord* piece, const SquareRecord* from, const SquareRecord* to,
                void (*on_end)());

// Takes a piece off the board: unlinked from its square, row and column -1, node parked under
// its graveyard.
void sendToGraveyard(PieceRecord* piece);

// End of a glide: the node is laid on its new square; after a move (not the castling king's)
// the camera turns to the side to move, or the computer answers.
void finishMove(bool castlingKing);

// Flips the side to move and announces check, checkmate ("CHECKMATE - Winner ...") or
// stalemate ("1/2-1/2 {Stalemate}") from whether the side to move has any legal move.
void endTurn();

// Whether the computer answers now: a local game, the computer's colour to move, a move to
// play, and the board showing the game's latest position (not an earlier one of a replay).
// After the player's mate or stalemate the result stays on the info line.
bool computerToMove();

// The local player takes the other colour; the computer moves if it is now its turn.
void swapColours();

// The camera flies to `view` (eased for the game views 0-4, linear otherwise), then `on_end`.
void CameraTravel(int view, void (*on_end)());

// Sets the camera's game view anew: with `start` the camera flies to `view` and the computer
// moves on arrival if it is its turn; without, only the view indices change.
void CameraToGameView(bool stop_all, bool start, int view);
