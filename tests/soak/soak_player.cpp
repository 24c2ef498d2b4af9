// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/soak/soak_player.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "board/board_moves.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/settings.h"
#include "tests/soak/soak_world.h"
#include "ui/interface.h"
#include "ui/move_line.h"
#include "ui/text_overlay.h"

namespace soak {

namespace {

constexpr int VK_QUESTION = 191; // with Shift: '?'
constexpr int VK_PERIOD = 190;
constexpr int VK_MINUS = 189;  // '-' as in O-O
constexpr int VK_EQUALS = 187; // '=' as in e8=Q
constexpr int WHEEL_NOTCH = 120;
constexpr int SAVE_NAMES = 4;       // a few names over and over: the folder stays small
constexpr double MENU_FLIGHT = 3.6; // seconds: the camera's flight to the menu, and a frame
constexpr double WALL_TURN = 3.2;   // the wall's turn, its last cube two seconds after the first

std::string named(const char* format, int a, int b = 0) {
    char text[96];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

// What a key that acts once per press may switch: its repeats must change none of it.
std::string toggles() {
    const AppState* a = g_app;
    const Interface* u = g_ui;
    const TextOverlay* o = u->overlay;
    const GameSettings& s = gameSettings();
    char text[96];
    std::snprintf(text, sizeof text, "%d%d%d%d%d%d%d%d%d%d%d%d", s.moveHints, s.moveList, s.sounds,
                  o->fpsText && o->fpsText->visible, a->screen && a->screen->fullscreen,
                  o->chatLines[0] && o->chatLines[0]->visible, g_game->menuOpen, g_game->cameraView,
                  g_anim->game_view, g_game->questionShown, g_game->requestPending,
                  u->choiceConfirmed);
    return text;
}

// Keys whose repeats keep acting: moving through a list, stepping through the views, erasing
// and typing on a text line.
bool repeats(int vk) {
    return vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT || vk == VK_END ||
           vk == VK_HOME || vk == VK_BACK || vk == VK_DELETE;
}

// A key pressed, or held for `repeats` repeats of the system, then released. A key that acts
// once per press is checked: its repeats switched nothing.
std::string g_heldFault;
void pressHeld(int vk, int count) {
    keyDown(vk);
    const std::string once = toggles();
    for (int i = 0; i < count; ++i)
        keyDown(vk);
    if (!repeats(vk) && toggles() != once)
        g_heldFault = "keys: the repeats of held key " + std::to_string(vk) + " acted (" + once +
                      " became " + toggles() + ")";
    keyUp(vk);
}

std::string heldKeyFault() {
    std::string f;
    f.swap(g_heldFault);
    return f;
}

// A key pressed with a modifier held.
void pressWith(int modifier, int vk) {
    keyDown(modifier);
    keyDown(vk);
    keyUp(vk);
    keyUp(modifier);
}

bool wallUsable() {
    const Interface* ui = g_ui;
    return ui && ui->menuActive && ui->wallRoot && !ui->wallRoot->hidden;
}

bool textLineOpen() {
    const Interface* ui = g_ui;
    const TextOverlay* o = ui ? ui->overlay : nullptr;
    if (!o) return false;
    const bool chat = o->chatLines[0] && o->chatLines[0]->visible;
    const bool name = o->nameLine && o->nameLine->visible;
    const bool address = o->ipLine && o->ipLine->visible;
    return chat || name || address;
}

// The text lines and what was sent or confirmed with them.
std::string textLines() {
    const Interface* u = g_ui;
    const TextOverlay* o = u->overlay;
    std::string s = std::to_string(o->chatRing) + std::to_string(u->choiceConfirmed);
    for (const KTexte* t : {o->chatLines[o->chatRing], o->nameLine, o->ipLine})
        if (t) s += std::string("|") + t->texte;
    return s;
}

// Entries of the pages of the wall, as the menu numbers them (the page an entry turns to; the
// main page's Resign turns nowhere and asks).
std::vector<int> entriesOf(int page) {
    switch (page) {
    case 0:
        return {1, 2, 5, 6, 7, RESIGN_ENTRY};
    case 1:
        return {3, 10};
    case 10:
        return {3, 4};
    case 3:
        return {0, 1};
    case 11: // the computer page: the levels, the previous and the next engine
        return {1, 2, 3, 4, 5, 6, 11, 12};
    default:
        return {};
    }
}

// The moves the board allows the side to move, as (from, to) squares.
std::vector<std::pair<int, int>> allowedMoves() {
    std::vector<std::pair<int, int>> moves;
    for (PieceRecord* p : g_game->pieces) {
        if (!p->square || p->colour != g_game->sideToMove) continue;
        for (int t = 0; t < 64; ++t)
            if (g_game->tryMove(p, &g_game->squares[t], false))
                moves.push_back({p->row * 8 + p->column, t});
    }
    return moves;
}

// Points at (x, z) on the wall: the pointer moves there; the next frame's wall step hovers the
// entry under it.
void pointAtWall(float x, float z) {
    int px, py;
    if (wallPixel(x, z, px, py)) mouseMove(0, px, py);
}

} // namespace

Step Player::next() {
    if (!plan_.empty()) {
        Step s = std::move(plan_.front());
        plan_.pop_front();
        return s;
    }
    return choose();
}

void Player::planEntryClick(int entry) {
    plan_.push_back({named("point at menu entry %d", entry),
                     [entry] {
                         float x, z;
                         if (g_ui && entryCentre(g_ui->page, entry, x, z)) pointAtWall(x, z);
                     },
                     0.02});
    plan_.push_back({named("click menu entry %d", entry),
                     [entry] {
                         float x, z;
                         int px, py;
                         if (g_ui && entryCentre(g_ui->page, entry, x, z) &&
                             wallPixel(x, z, px, py))
                             clickAt(px, py);
                     },
                     -1});
}

void Player::planQuitNo() {
    // The banner reads the pointer where the last frame left it: point first, click next.
    plan_.push_back({"point at no on the quit banner",
                     [] {
                         int x, y;
                         if (quitButtonPixel(1, x, y)) mouseMove(0, x, y);
                     },
                     0.02});
    plan_.push_back({"click no on the quit banner",
                     [] {
                         int x, y;
                         if (quitButtonPixel(1, x, y)) clickAt(x, y);
                     },
                     0.05});
}

void Player::planMenuPath(const std::vector<int>& entries, const char* what) {
    plan_.push_back({std::string("towards ") + what + ": open the menu",
                     [] {
                         // Escape first refuses a question or leaves the pause; the chat
                         // takes it as long as it is open.
                         for (int i = 0; i < 3 && g_app && !g_game->menuOpen; ++i) {
                             if (chatTakesKeys()) press(VK_TAB);
                             press(VK_ESCAPE);
                         }
                     },
                     0.05});
    // An animation started by an input runs from the next frame on: the waits are steps of
    // their own. Mostly long enough for the camera to rest and the page's screen to open.
    plan_.push_back(
        {"wait for the menu", nullptr, random_.chance(0.8) ? MENU_FLIGHT : random_.delay()});
    for (int entry : entries) {
        planEntryClick(entry);
        plan_.back().seconds = 0.05;
        plan_.push_back(
            {"wait for the wall", nullptr, random_.chance(0.8) ? WALL_TURN : random_.delay()});
    }
}

Player::Player(uint64_t seed, Role role) : random_(seed), role_(role) {
    gameSettings().twoClickMoves = role == Role::Host || (role != Role::Join && seed % 2 == 1);
}

void Player::planNewGame() {
    if (role_ == Role::Local || role_ == Role::Hostile)
        gameSettings().twoClickMoves = random_.chance(0.5);
    const int colour = random_.below(2);
    // The computer page comes between: a level (the weaker ones, so runs stay quick) confirms.
    const int level = 1 + random_.below(4);
    planMenuPath({1, 3, level, colour}, colour ? "a new game as Black" : "a new game as White");
}

void Player::planNetworkGame(bool host) {
    if (host) {
        const int colour = random_.below(2);
        planMenuPath({1, 10, 3, colour}, "hosting");
        return;
    }
    planMenuPath({1, 10, 4}, "joining");
    // Nothing typed joins this machine; "0" means it too.
    if (random_.chance(0.5)) plan_.push_back({"type 0", [] { press('0'); }, 0.05});
    plan_.push_back({"Enter (confirm the address)", [] { press(VK_RETURN); }, 0.05});
    plan_.push_back({"Enter (join)", [] { press(VK_RETURN); }, -1});
}

void Player::planSave() {
    planMenuPath({5}, "a save");
    const int name = random_.below(SAVE_NAMES);
    if (random_.chance(0.7)) {
        plan_.push_back({"Tab (a new name)", [] { press(VK_TAB); }, 0.05});
        plan_.push_back({named("type the name soak%d", name),
                         [name] {
                             for (const char* c = "SOAK"; *c; ++c)
                                 press(*c);
                             press('0' + name);
                         },
                         0.05});
    }
    plan_.push_back({"Enter (confirm)", [] { press(VK_RETURN); }, 0.1});
    plan_.push_back({"Enter (save)", [] { press(VK_RETURN); }, -1});
}

void Player::planLoad() {
    planMenuPath({2}, "a load");
    const int downs = random_.below(4);
    plan_.push_back({named("Down %d times", downs),
                     [downs] {
                         for (int i = 0; i < downs; ++i)
                             press(VK_DOWN);
                     },
                     0.05});
    plan_.push_back({"Enter (confirm)", [] { press(VK_RETURN); }, 0.1});
    plan_.push_back({"Enter (load)", [] { press(VK_RETURN); }, -1});
}

void Player::planRequest(int key) {
    plan_.push_back({named("press %c (a request)", key), [key] { press(key); }, 0.6});
    const int button = random_.chance(0.7) ? 0 : 1;
    plan_.push_back({named("point at request button %d", button),
                     [button] {
                         int x, y;
                         requestButtonPixel(button, x, y);
                         mouseMove(0, x, y);
                     },
                     0.02});
    plan_.push_back({named("click request button %d", button),
                     [button] {
                         int x, y;
                         requestButtonPixel(button, x, y);
                         clickAt(x, y);
                     },
                     -1});
}

void Player::planMove() {
    // A move the board allows for the side to move, clicked in three steps (two when the
    // second plays it) with pauses between.
    const std::vector<std::pair<int, int>> moves = allowedMoves();
    if (moves.empty()) return;
    const auto [from, to] = moves[size_t(random_.below(int(moves.size())))];
    const int targets[3] = {from, to, to};
    const bool two = gameSettings().twoClickMoves;
    const char* names[3] = {"select", two ? "choose and play" : "choose", "confirm"};
    for (int i = 0; i < (two ? 2 : 3); ++i) {
        const int square = targets[i];
        plan_.push_back({std::string(names[i]) + named(" square %d", square),
                         [square] {
                             int x, y;
                             if (squarePixel(square, x, y)) clickAt(x, y);
                         },
                         random_.chance(0.5) ? random_.delay() : 0.05});
    }
}

void Player::planTypedMove() {
    // Mostly a move the board allows, by its squares ("e2e4", now and then with "=q" after
    // it); else a text from a list of right, wrong and malformed moves.
    static const char* const TEXTS[] = {"e4",  "Nf3",  "O-O",  "O-O-O", "exd5", "e8=Q", "Ke2",
                                        "Zz9", "a1a1", "Nbd2", "Qxf7",  "e2e4", "0-0",  "h8"};
    std::string text = TEXTS[random_.below(int(sizeof TEXTS / sizeof TEXTS[0]))];
    if (random_.chance(0.6)) {
        const std::vector<std::pair<int, int>> moves = allowedMoves();
        if (!moves.empty()) {
            const auto [from, to] = moves[size_t(random_.below(int(moves.size())))];
            text = {char('a' + from % 8), char('8' - from / 8), char('a' + to % 8),
                    char('8' - to / 8)};
            if (random_.chance(0.1)) text += "=q";
        }
    }
    plan_.push_back({"type the move " + text,
                     [text, clear = random_.chance(0.8)] {
                         // A refused move stays on the line: mostly erased first.
                         for (size_t n = std::strlen(moveLineTyped()); clear && n > 0; --n)
                             press(VK_BACK);
                         for (char c : text) {
                             if (c >= 'A' && c <= 'Z')
                                 pressWith(VK_SHIFT, c);
                             else if (c >= 'a' && c <= 'z')
                                 press(c - 'a' + 'A');
                             else if (c == '-')
                                 press(VK_MINUS);
                             else if (c == '=')
                                 press(VK_EQUALS);
                             else
                                 press(c);
                         }
                     },
                     0.05});
    plan_.push_back({"Enter (play the typed move)", [] { press(VK_RETURN); }, -1});
}

Step Player::keyAction() {
    struct Key {
        int vk;
        const char* name;
        int weight;
    };
    static const Key KEYS[] = {
        {VK_ESCAPE, "Escape", 4},
        {VK_PAUSE, "Pause", 3},
        {'R', "R", 3},
        {'S', "S", 3},
        {'B', "B", 3},
        {'G', "G", 1},
        {'L', "L", 2},
        {'M', "M", 2},
        {'N', "N", 1},
        {'F', "F", 1},
        {VK_F11, "F11", 1},
        {VK_F12, "F12", 1},
        {VK_END, "End", 3},
        {VK_HOME, "Home", 3},
        {'A', "A", 2},
        {'H', "H", 2},
        {VK_TAB, "Tab", 3},
        {VK_RETURN, "Enter", 5},
        {VK_BACK, "Backspace", 2},
        {VK_DELETE, "Delete", 1},
        {VK_UP, "Up", 3},
        {VK_DOWN, "Down", 3},
    };
    // One key of a table, by weight, pressed or now and then held for a few repeats.
    auto pressOrHold = [this](const Key* keys, size_t count) -> Step {
        int total = 0;
        for (size_t i = 0; i < count; ++i)
            total += keys[i].weight;
        int pick = random_.below(total);
        const Key* key = keys;
        while (pick >= key->weight)
            pick -= (key++)->weight;
        const int vk = key->vk;
        const int repeats = random_.chance(0.15) ? 1 + random_.below(8) : 0;
        if (repeats)
            return {std::string("hold ") + key->name + named(" (%d repeats)", repeats),
                    [vk, repeats] { pressHeld(vk, repeats); }, -1, heldKeyFault};
        return {std::string(key->name), [vk] { press(vk); }};
    };
    const int special = random_.below(10);
    if (special == 0) return {"? (Shift)", [] { pressWith(VK_SHIFT, VK_QUESTION); }};
    // Against the computer: a move back or forward through the game, or the sounds switched.
    if (role_ == Role::Local && special == 2) {
        static const Key LOCAL_KEYS[] = {
            {VK_LEFT, "Left", 3}, {VK_RIGHT, "Right", 2}, {'V', "V", 1}};
        return pressOrHold(LOCAL_KEYS, std::size(LOCAL_KEYS));
    }
    if (special == 1) {
        // On a text line Alt+Enter switches full screen and leaves the line alone: it neither
        // sends the chat line nor confirms a name or an address.
        return {"Alt+Enter",
                [] {
                    const std::string before = textLines();
                    pressWith(VK_MENU, VK_RETURN);
                    if (textLines() != before) g_heldFault = "keys: Alt+Enter acted on a text line";
                },
                -1, heldKeyFault};
    }
    return pressOrHold(KEYS, std::size(KEYS));
}

Step Player::typedKey() {
    static const int CHARS[] = {'A',
                                'E',
                                'K',
                                'Q',
                                'Z',
                                '0',
                                '1',
                                '5',
                                '9',
                                VK_SPACE,
                                VK_PERIOD,
                                VK_NUMPAD0 + 2,
                                VK_NUMPAD0 + 7,
                                110};
    const int vk = CHARS[random_.below(int(sizeof CHARS / sizeof CHARS[0]))];
    if (random_.chance(0.1)) return {named("type Shift+%d", vk), [vk] { pressWith(VK_SHIFT, vk); }};
    return {named("type key %d", vk), [vk] { press(vk); }};
}

Step Player::clickSquare() {
    const int square = random_.below(64);
    const bool onPiece = random_.chance(0.5);
    return {named("click square %d", square) + (onPiece ? " (its piece)" : ""), [square, onPiece] {
                int x, y;
                const SquareRecord& s = g_game->squares[square];
                KVector at = s.node ? s.node->GetWorldMatrix().GetTrans() : KVector();
                if (onPiece && s.piece) at.y += 0.4f; // the piece's body above the square
                if (s.node && worldPixel(at, x, y)) clickAt(x, y);
            }};
}

Step Player::mouseAction() {
    const int w = g_app ? g_app->width : 320, h = g_app ? g_app->height : 240;
    const int x = random_.below(w), y = random_.below(h);
    switch (random_.below(7)) {
    case 0:
        return {named("move the pointer to %d,%d", x, y), [x, y] { mouseMove(0, x, y); }};
    case 1:
    case 2: {
        static const int DRAGS[] = {MK_CONTROL | MK_LBUTTON,
                                    MK_CONTROL | MK_RBUTTON,
                                    MK_SHIFT | MK_LBUTTON,
                                    MK_SHIFT | MK_RBUTTON,
                                    MK_LBUTTON,
                                    MK_MBUTTON};
        const int flags = DRAGS[random_.below(6)];
        const int dx = random_.below(81) - 40, dy = random_.below(81) - 40;
        return {named("drag with flags %d by %d", flags, dx), [flags, x, y, dx, dy] {
                    for (int i = 0; i <= 4; ++i)
                        mouseMove(flags, x + dx * i / 4, y + dy * i / 4);
                }};
    }
    case 3: {
        const int notches = random_.below(7) - 3;
        const int flags = random_.chance(0.2) ? MK_CONTROL : 0;
        return {named("wheel %d notches", notches),
                [notches, flags] { wheel(notches * WHEEL_NOTCH, flags); }};
    }
    case 4: {
        // The top strip: a drag of the window, or the close box at its right end.
        const bool closeBox = random_.chance(0.3);
        const int sx = closeBox ? w * 790 / 800 : x;
        return {closeBox ? "click the close box" : named("drag the top strip from %d", sx),
                [sx, w] {
                    mouseMove(0, sx, 3);
                    mouseDown(MK_LBUTTON, sx, 3);
                    mouseMove(MK_LBUTTON, sx + w / 20, 8);
                    mouseUp();
                }};
    }
    default: {
        static const int BUTTONS[] = {MK_LBUTTON, MK_LBUTTON, MK_RBUTTON, MK_MBUTTON};
        const int button = BUTTONS[random_.below(4)];
        return {named("press button %d at %d", button, x) + named(",%d", y), [button, x, y] {
                    mouseMove(0, x, y);
                    if (pointerOnQuitYes()) return;
                    mouseDown(button, x, y);
                    mouseUp();
                }};
    }
    }
}

Step Player::choose() {
    const Interface* ui = g_ui;
    // A question waits for its answer: answered often, but not always at once.
    if (ui && g_game->questionShown && random_.chance(0.4)) {
        const int button = random_.chance(0.6) ? 0 : 1;
        plan_.push_back({named("click request button %d", button), [button] {
                             int x, y;
                             requestButtonPixel(button, x, y);
                             clickAt(x, y);
                         }});
        return {named("point at request button %d", button),
                [button] {
                    int x, y;
                    requestButtonPixel(button, x, y);
                    mouseMove(0, x, y);
                },
                0.02};
    }
    if (ui && ui->quitBannerShown && random_.chance(0.3)) {
        planQuitNo();
        return next();
    }
    // Back to the board often enough for games to go deep (castling, en passant, promotion,
    // mate), but not always at once.
    if (g_game->menuOpen && g_game->gameStarted && random_.chance(0.15))
        return {"Escape (back to the board)", [] { press(VK_ESCAPE); }};
    if (wallUsable() && random_.chance(0.35)) {
        const std::vector<int> entries = entriesOf(ui->page);
        if (!entries.empty()) {
            planEntryClick(entries[size_t(random_.below(int(entries.size())))]);
            return next();
        }
    }
    if (textLineOpen() && random_.chance(0.4)) return typedKey();
    if (role_ == Role::Local && moveLineOpen() && random_.chance(0.5)) {
        planTypedMove();
        return next();
    }
    if (g_game->mayPlayerClickBoard() && random_.chance(0.5)) {
        planMove();
        if (!plan_.empty()) return next();
    }
    // The network roles find their way back into a network game soon after leaving it.
    const bool inNetworkGame = !localGame();
    if (role_ != Role::Local && !inNetworkGame && random_.chance(0.02)) {
        planNetworkGame(role_ != Role::Join);
        return next();
    }
    // Longer paths, now and then.
    if (random_.chance(0.03)) {
        switch (random_.below(role_ == Role::Local || role_ == Role::Hostile ? 5 : 6)) {
        case 0:
            planNewGame();
            break;
        case 1:
            planSave();
            break;
        case 2:
            planLoad();
            break;
        case 3: {
            const int key = "RSBG"[random_.below(4)];
            // In a network game the request goes out at once and waits for the peer's answer;
            // meanwhile the player goes on: confirms a move chosen before asking, or asks for a
            // load. The other player keeps still, or it would mostly have answered first.
            if (inNetworkGame && g_game->mayAskRequestByKey() && random_.chance(0.3)) {
                const bool move = g_game->mayPlayerClickBoard() && random_.chance(0.5);
                if (move) planMove();
                const Step ask{named("press %c (a request)", key), [key] { press(key); }, 0.05};
                plan_.insert(plan_.empty() ? plan_.end() : plan_.end() - 1, ask);
                if (!move) planLoad();
                for (Step& step : plan_)
                    step.hushOthers = true;
            } else {
                planRequest(key);
            }
            break;
        }
        case 4:
            if (role_ != Role::Local) planNetworkGame(role_ != Role::Join);
            break;
        default:
            planNetworkGame(role_ == Role::Host);
            break;
        }
        if (!plan_.empty()) return next();
    }
    switch (random_.below(20)) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
        return keyAction();
    case 9:
    case 10:
    case 11:
    case 12:
        return clickSquare();
    case 13:
        return typedKey();
    default:
        return mouseAction();
    }
}

} // namespace soak
