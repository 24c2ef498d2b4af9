#pragma once
// The G key: against the computer, with the game going on and nothing else asked, the local
// player is asked "Resign : are you sure ?" in the request window; yes ends the game
// ("0-1 {White resigns}" or "1-0 {Black resigns}", game/game_end_state.h). Not in a network
// game, where the peer would not learn of it.
void resignKey();
