#pragma once
// Where the saved games and the settings file live. Beside the program ("./Save/", the program's
// folder being the current one) when the game may write there, as in the build tree or an install
// the player owns; otherwise in the player's own data folder, as desktop programs installed for
// every user do: $XDG_DATA_HOME/chess3d/Save/, or ~/.local/share/chess3d/Save/.

#include <string>

// Uses `folder` from now on ('/' added when it lacks one).
void set_save_folder(const std::string& folder);

// The folder to use, made when missing: "<program folder>/Save/" when that folder exists and may
// be written, or can be made; else "<data home>/chess3d/Save/" with its parents, data home being
// `xdg_data_home` when it is an absolute path, else `home` + "/.local/share". An empty string
// when neither can be had. `program_folder` "." gives "./Save/".
std::string pick_save_folder(const std::string& program_folder, const char* xdg_data_home,
                             const char* home);

// The player's own folder for this game, "<data home>/chess3d/", made with its parents when
// missing: data home is `xdg_data_home` when it is an absolute path, else `home` +
// "/.local/share". An empty string when neither names one or it cannot be made and written.
std::string player_data_folder(const char* xdg_data_home, const char* home);

// Start-up, after the program's folder became the current one: pick_save_folder(".",
// $XDG_DATA_HOME, $HOME) made the save folder (kept "./Save/" when nothing could be had).
// Returns the folder used.
const char* choose_save_folder();
