// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The camera's view keys, its turn towards a picked point, and the end of its turn towards the
// side to move. The four camera changes below replace the camera's flight; a completion the
// replaced flight still owed (the computer's answer, the menu's closing) runs at the end of the
// new one.

struct KVector;

// True while the camera's entry exists and is not stopped (the mouse leaves the camera alone).
bool IsCameraMoving();

// End of the camera's turn towards the side to move: in a game against the computer, the
// computer moves when it is its turn.
void ComputerTurnCallback();

// Turns the camera in place, eased, to aim one third of the way from the board centre towards
// `point` (world coordinates). A point at the camera's own position does nothing.
void LookTowardsPoint(const KVector& point);

// View keys: the next or previous of the game views 0-3, eased.
void NextView();
void PreviousView();
// Flips game_view; when it becomes set, the camera flies to the view of the side to move.
void ToggleGameView();
