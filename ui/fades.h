// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The panels' fade presets: numbered material animations of the AnimManager that fade a panel's
// material in or out (opacity keys), played once with an optional completion callback.

class KMaterial;

constexpr int FADE_QUIT_IN = 1;  // quit banner fades in
constexpr int FADE_PANEL_IN = 3; // load, save and connect panels
constexpr int FADE_PANEL_OUT = 4;
constexpr int FADE_SELECTION_IN = 5; // selection bar material "selectionMater"
constexpr int FADE_SELECTION_OUT = 6;
constexpr int FADE_INFO_IN = 7;
constexpr int FADE_INFO_HOLD = 8;
constexpr int FADE_INFO_OUT = 9;
constexpr int FADE_REQUEST_IN = 10;
constexpr int FADE_REQUEST_OUT = 11;
constexpr int FADE_SUPPORT = 15; // closing panel when quitting

// Writes presets 1 and 3 to 11 into the AnimManager's material pool (start-up).
void writeFadePresets();

// Gives `mat` an entry with material preset `preset` and starts it once; `onEnd` runs when it
// ends (may be null). A null material or a missing AnimManager does nothing.
void playFade(KMaterial* mat, int preset, void (*onEnd)());

// Makes a material fade from its opacity: blended, at `opacity` now.
void prepareFade(KMaterial* mat, float opacity);
