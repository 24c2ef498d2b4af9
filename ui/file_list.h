// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The list of saved games shared by the load and save screens: one text of the overlay per
// ".chs" file of "./Save/" (and, on the load screen, per game of its PGN files), a window of
// lines shown over the panel, and the selection bar that marks the chosen line. The
// Interface's listIndex (selected line) and listFirst (first line shown) say where the player
// is; both are 0 based.

#include <string>
#include <vector>

class KNodeGraph;
struct LoadableGame;

constexpr int LOAD_LIST_WINDOW = 11; // lines the load screen shows at once
constexpr int SAVE_LIST_WINDOW = 10; // the save screen's panel has the name line below its list

// Fills the overlay's fileLines from the saved games: one hidden text per game, holding
// fileLineText, placed as line i; the texts of the list before are reused, those left over
// taken out of the scene and destroyed once the list is complete, missing ones made. Without
// `withPgnGames` (the save screen) the ".chs" files found now (GameRecord::ListSavedGames); with it
// (the load screen) the list starts empty and fills in as the file worker makes it
// (start_load_list: the ".chs" files, then the games of the folder's PGN files), the lines that
// arrive showing at once when they fall in the window on screen.
void buildFileList(bool withPgnGames);

// Lines that follow those of the list: what buildFileList's worker hands back, part by part;
// with `complete`, the texts of the list before that were not reused leave the scene.
void appendFileLines(const std::vector<LoadableGame>& more, bool complete);

// Shows the lines first .. first + count - 1 (those that exist, and those that come later), each
// at the row it has in the window, and hides the others.
void showFileLines(int first, int count);
void hideFileLines();

// Puts every line at its row for the current window size and listFirst without changing what is
// shown (after the window size changed while a list is on screen).
void placeFileLines();

// Up or Down on a list of `window` lines: moves listIndex (never past the ends; an empty list
// keeps 0), scrolls listFirst to keep it in view, shows the window and moves the selection bar
// onto the selected line. Other codes change nothing. Only while no choice is confirmed.
void moveSelection(int code, int window);

// Puts the selection bar on row `row` of the window (0 = first line shown).
void placeSelectionBar(int row);

// The path of the selected saved game, "./Save/" + its file name as found in the folder (the
// extension as the folder spells it), followed by "#N" for game N of a PGN file (what
// GameRecord::LoadGame takes); empty when the list has no line there.
std::string selectedGamePath();

// The text shown for a file name: the name without its last four characters, shortened with
// "..." when it would run past the panel's right edge; for one of the `games` (more than one)
// of a PGN file, followed by " - game N" (`game`).
std::string fileLineText(const std::string& fileName, int game = 0, int games = 0);

// Opening a list screen (the wall has turned to its page): `panel` and the selection bar are
// unhidden and fade in (the panel's material `panelMaterial` and "selectionMater"), the bar goes
// to the first row, the list is built (with the PGN games for the load screen) and its first
// line selected. `onShown` runs when the panel has faded in.
void openListPanel(KNodeGraph* panel, const char* panelMaterial, void (*onShown)(),
                   bool withPgnGames);

// Closing a list screen: the lines go, the panel and the bar fade out (`onHidden` then hides
// them), the wall turns back to the main page, and the OK mark and the confirmation are cleared.
void closeListPanel(const char* panelMaterial, void (*onHidden)());

// The OK mark of the two-step confirmation: shown with the first Enter, hidden when the choice
// is carried out or taken back.
void setChoiceConfirmed(bool confirmed);
