// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/soak/soak_trace.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "anim/anim_manager.h"
#include "anim/move_sounds.h"
#include "app/app_state.h"
#include "app/camera_zoom.h"
#include "board/board_scene.h"
#include "board/move_marks.h"
#include "chess/fen.h"
#include "chess/position.h"
#include "engine/KivEngine.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"
#include "game/settings.h"
#include "netplay/net_session.h"
#include "tests/soak/soak_checks.h"
#include "ui/interface.h"
#include "ui/move_line.h"
#include "ui/text_overlay.h"

namespace soak {

namespace {

constexpr char SAVE_FOLDER_HEAD[] = "/tmp/chess3d-soak-"; // soak_main.cpp's mkdtemp pattern
constexpr size_t SAVE_FOLDER_RANDOM = 6;                  // its XXXXXX

std::string squareName(const SquareRecord* s) {
    if (!s) return "-";
    const int i = int(s - g_game->squares);
    return std::string{char('a' + i % 8), char('8' - i / 8)};
}

// The square a node hangs under, or null.
const SquareRecord* squareUnder(const KNodeGraph* node) {
    if (!node || !node->parent) return nullptr;
    for (const SquareRecord& s : g_game->squares)
        if (s.node == node->parent) return &s;
    return nullptr;
}

// The square showing either colour of a marker; "-" while both are parked.
std::string markerSquare(const KNodeGraph* white, const KNodeGraph* black) {
    const SquareRecord* s = squareUnder(white);
    return squareName(s ? s : squareUnder(black));
}

// Texts the player reads may name the run's random port or save folder: both are replaced by
// fixed words, so that two runs of a seed print the same line.
std::string scrub(std::string text) {
    const std::string port = std::to_string(netPort());
    for (size_t at = text.find(port); at != std::string::npos; at = text.find(port, at))
        text.replace(at, port.size(), "<port>");
    const size_t head = std::strlen(SAVE_FOLDER_HEAD);
    for (size_t at = text.find(SAVE_FOLDER_HEAD); at != std::string::npos;
         at = text.find(SAVE_FOLDER_HEAD, at + head))
        text.replace(at + head, std::min(SAVE_FOLDER_RANDOM, text.size() - at - head), "XXXXXX");
    return text;
}

class PoseDigest {
public:
    void add(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h_ = (h_ ^ ((v >> (8 * i)) & 0xFF)) * 16777619u;
    }
    void add(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        add(bits);
    }
    void add(const KVector& v) {
        add(v.x);
        add(v.y);
        add(v.z);
    }
    uint32_t value() const { return h_; }

private:
    uint32_t h_ = 2166136261u;
};

// Where the camera and every piece stand, bit for bit, and under which node each piece hangs
// (with its place among that node's children, which decides ties when picking).
uint32_t poseDigest() {
    PoseDigest d;
    const BoardScene* b = g_board;
    if (b->camera) {
        d.add(b->camera->prs.pos);
        d.add(b->camera->prs.rot);
    }
    d.add(cameraZoomReached());
    for (const PieceRecord* p : g_game->pieces) {
        const KNodeGraph* n = p ? p->node : nullptr;
        if (!n) {
            d.add(uint32_t(99));
            continue;
        }
        const SquareRecord* s = squareUnder(n);
        d.add(uint32_t(s                                        ? s - g_game->squares
                       : n->parent && n->parent == p->graveyard ? 64
                       : n->parent                              ? 65
                                                                : 66));
        uint32_t place = 0;
        if (n->parent)
            while (place < n->parent->children.size() && n->parent->children[place] != n)
                ++place;
        d.add(place);
        d.add(uint32_t(n->tag));
        d.add(uint32_t(n->hidden));
        d.add(n->prs.pos);
        d.add(n->prs.rot);
        d.add(n->prs.scale);
    }
    return d.value();
}

unsigned recordHash() {
    unsigned h = 2166136261u;
    for (int i = 0; i < g_game->record.moves.count; ++i)
        h = (h ^ unsigned(g_game->record.moves[i])) * 16777619u;
    return h;
}

std::string codeText(int code) {
    return code == 0                  ? std::string("-")
           : code >= 32 && code < 127 ? std::string(1, char(code))
                                      : std::to_string(code);
}

} // namespace

std::string traceLine(char role, long step, const std::string& action) {
    const AppState* a = g_app;
    const BoardScene* b = g_board;
    const GameRecord* r = &g_game->record;
    const Interface* u = g_ui;
    const NetSession& net = netSession();
    const KTexte* info = u->overlay ? u->overlay->infoText : nullptr;
    const char* told = lastPlayerMessage();
    const ShownMarks marks = shownMoveMarks();
    const PieceRecord* selected = g_game->selectedPiece;
    const std::string fen = position_fen();
    const char* typed = moveLineTyped();
    char text[1024];
    std::snprintf(
        text, sizeof text,
        " || rec %d %08x shown %d replay %d | sel %s tgt %s mk %s %s | q %d %s req %d %s file %s"
        " | end %d %d | info %d \"%s\" told \"%s\" | marks %016llx %016llx %016llx %016llx"
        " | snd %d %d %d %d %d %d | view %d %d %d | eng \"%s\" ply %d roots %d"
        " | line %d \"%s\" | net %d %d %d %d | win %dx%d %d | pose %08x",
        r->moves.count, recordHash(), r->ShownCount(), r->replayPlies,
        selected ? squareName(selected->square).c_str() : "-",
        squareName(g_game->chosenTarget).c_str(),
        markerSquare(b->selectMarkerWhite, b->selectMarkerBlack).c_str(),
        markerSquare(b->targetMarkerWhite, b->targetMarkerBlack).c_str(), g_game->questionShown,
        codeText(g_game->questionCode).c_str(), g_game->requestPending,
        codeText(g_game->pendingRequest).c_str(),
        g_game->fileName.empty() ? "-"
                                 : g_game->fileName.substr(g_game->fileName.rfind('/') + 1).c_str(),
        int(gameVerdict().end), gameEndedAtMoves(), info ? info->visible : -1,
        info ? scrub(info->texte).c_str() : "", told ? scrub(told).c_str() : "",
        (unsigned long long)marks.lastMove, (unsigned long long)marks.quiet,
        (unsigned long long)marks.captures, (unsigned long long)marks.suggested,
        gameSoundCount(GameSound::Move), gameSoundCount(GameSound::Capture),
        gameSoundCount(GameSound::Check), gameSoundCount(GameSound::Mate),
        gameSoundCount(GameSound::Refused), gameSoundCount(GameSound::Chat), g_anim->view_index,
        g_anim->view_index_saved, g_anim->game_view, fen.c_str(), history_ply,
        ply_first_move[1] - ply_first_move[0], moveLineOpen(), typed ? typed : "", net.loadAwaited,
        net.peerQuestion, net.blockGathered, netSession().netPendingValue, a->width, a->height,
        a->screen ? a->screen->fullscreen : -1, poseDigest());
    std::string line = std::string(1, role) + " " + std::to_string(step) + " " + action + " | " +
                       stateSummary() + text;
    return line;
}

bool traceHashWanted() {
    return std::getenv("SOAK_TRACE_HASH") != nullptr;
}

void TraceHash::add(const std::string& line) {
    for (unsigned char c : line)
        hash_ = (hash_ ^ c) * 1099511628211ull;
    hash_ = (hash_ ^ '\n') * 1099511628211ull;
}

} // namespace soak
