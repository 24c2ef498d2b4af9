// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Requests between the two players: a new game ('R'), a swap of colours ('W'), a take-back
// ('B') and a loaded game ('L'). One side asks (the R, S and B keys, or the load screen); the
// other answers in the request window; both then carry out the same action.

// The local player's answer to the request window: in a network game the answer goes to the
// peer ('Q' 'Y' or 'Q' 'N'); accepted, the question's action is carried out here.
void AnswerRequest(bool accepted);

// The peer's answer to this side's pending request: the action is carried out (an accepted
// load loads the chosen file and sends it to the peer) and the request is no longer pending.
void AnswerReceived(bool accepted);

// The peer asked a question (its request letter): the request window shows it.
void QuestionReceived(int side, int code);
