// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text overlay: every line of text the game draws in window pixels (the info message, the
// request window, the statistics, the chat, the save-name and address lines and the file list),
// its two bitmap fonts, and the operations that show them. One instance, owned by the
// Interface (g_ui->overlay), made at start-up and kept until exit.

#include <cstddef>
#include <vector>

class KFont;
class KTexte;

constexpr int CHAT_LINE_LENGTH = 256; // characters of a chat line's string
constexpr int EDIT_LINE_LENGTH = 128; // characters of the save-name and address lines
constexpr int CHAT_LAST_COLUMN = 71;  // last position a character can be typed at
constexpr int STAT_LINE_COUNT = 9;

struct TextOverlay {
    int screenWidth = 0, screenHeight = 0; // window size of the last layout, pixels
    KFont* classicFont = nullptr;
    KFont* chatFont = nullptr;
    std::vector<KTexte*> fileLines; // file list of the load and save screens
    KTexte* infoText = nullptr;     // the info message line
    KTexte* requestLine1 = nullptr; // the request window's two lines
    KTexte* requestLine2 = nullptr;
    KTexte* fpsText = nullptr;               // frame rate, bottom right
    KTexte* statLines[STAT_LINE_COUNT] = {}; // scene counters, bottom left
    KTexte* scaleLine = nullptr;             // the render scale, above the counters
    KTexte* restLine = nullptr;              // the frames drawn and the rest, above the scale
    int ipLength = 0;                        // characters typed on the address line
    KTexte* ipLine = nullptr;                // the address line of the connect screen
    int chatCursor = 0;                      // position of the '_' mark in the input line, 1..72
    int chatRing = 0;                        // which chat line is the input line, 0..3
    KTexte* chatLines[4] = {};               // the chat; chatLines[chatRing] is the input line
    int nameLength = 0;                      // characters typed on the save-name line
    KTexte* nameLine = nullptr;              // the save-name line of the save screen
};

// Start-up, after the Interface is built: the two fonts ("ClassicFont" on ".\textures\font.bmp",
// "ChatFont" on ".\textures\chatfont.bmp"), then every text laid out for w x h (800 x 600).
void buildFonts();
void layout(int w, int h);

// After every window size change: fonts rebuilt for the width and the texts moved.
void rebuildFonts(int w);
void relayout(int w, int h);

// The info message over the "info" panel. Shown timed: fades in, holds about two seconds and
// fades out by itself; shown untimed: stays until hidden. A null text keeps the current string.
void showInfo(bool show, bool timed, const char* text);

// The request window (the "request" panel with its two lines and accept/refuse buttons). Showing
// it sets the Interface's questionShown and closes the menu if it is open; either line may be
// null (keeps its string). The answer comes through menuClick.
void showRequest(bool show, const char* line1, const char* line2);

// The answer to the request window in a game against the computer: accepted, the question's
// code (AppState::questionCode: 'R' new game, 'W' swap colours, 'B' take back) is carried out.
void answerLocalRequest(bool accepted);

// Mouse moved while the request window is up: updates questionButton (-1 none, 0 accept,
// 1 refuse) from the Interface's mouse position and highlights that button on the picture.
void requestHover();

// The H key: shows or hides the frame rate and the scene counters.
void toggleStatistics();
// Before every frame drawn: refreshes the statistics strings while shown. They show the frame
// being drawn, so they change only with the frames: no frame is ever drawn for them alone.
void statisticsStep();
// The panels behind the statistics (ui/statistics_panel.cpp): made hidden by layout, shown and
// hidden with the statistics, and fitted around their lines as the lines change.
void buildStatisticsPanels();
void setStatisticsPanelsShown(bool shown);
void placeStatisticsPanels();
// The frame loop, before statisticsStep: frames drawn so far with this one, and whether it is
// drawn while the game rests ("Frames drawn    : 1234, at rest").
void noteFrameDrawn(long framesDrawn, bool resting);

// Statistics strings, written into `out` (at least 64 bytes): "FPS 59.9" (tenth truncated),
// "Texture memory  : 12.3 Mo" from a byte count.
void formatFps(char* out, size_t size, float fps);
void formatTextureMemory(char* out, size_t size, double bytes);

// The font size and spacing for a window width: classic W x 0.02 and W x -0.005625, chat
// W x 0.015, sizes rounded half up.
int classicFontSize(int w);
int chatFontSize(int w);
