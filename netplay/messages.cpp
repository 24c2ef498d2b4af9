// SPDX-License-Identifier: GPL-3.0-or-later
#include "netplay/messages.h"

#include <cstring>

#include "app/app_state.h"
#include "app/input.h"
#include "app/request_keys.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"
#include "netplay/net_session.h"
#include "netplay/requests.h"
#include "ui/chat.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr int CHAT_LINE_BYTES = 72; // characters of the line a chat message carries

// Where the OK mark of the load, save and connect screens rests.
constexpr float OK_MARK_REST[3] = {0.455f, 0.481f, -1.8f};

char originLetter() {
    return g_app && netSession().server ? 'H' : 'C';
}

// Bytes a message of this type letter takes, 0 for a letter no message starts with. A whole
// game counts its header only: its block follows.
int messageLength(unsigned char type) {
    switch (type) {
    case 'S':
        return WHOLE_GAME_HEADER;
    case 'L':
    case 'R':
    case 'W':
    case 'B':
        return 1;
    case 'Q':
        return 2;
    case 'M':
        return 4;
    case 'C':
        return CHAT_MESSAGE_LENGTH;
    default:
        return 0;
    }
}

// The joining side's connect screen closes when the host's game arrives; its address line,
// OK mark and confirmation start afresh for the next time.
void closeConnectScreen() {
    Interface* ui = g_ui;
    if (!ui || !ui->connectScreenOpen) return;
    TextOverlay* o = ui->overlay;
    if (o && o->ipLine) o->ipLine->visible = 0;
    if (ui->screens.toggleConnectScreen) ui->screens.toggleConnectScreen();
    ui->connectScreenOpen = 0;
    if (o && o->ipLine) {
        std::memset(o->ipLine->texte, ' ', EDIT_LINE_LENGTH);
        o->ipLine->texte[0] = '_';
        o->ipLine->texte[EDIT_LINE_LENGTH] = 0;
        o->ipLength = 0;
    }
    if (KNodeGraph* ok = ui->selectionOK) {
        ok->hidden = 1;
        ok->prs.SetPosition(OK_MARK_REST[0], OK_MARK_REST[1], OK_MARK_REST[2]);
    }
    ui->choiceConfirmed = 0;
}

long wholeGamesLoaded = 0; // see WholeGamesLoaded

// The game received replaces this side's: the local player takes `colour`; `moves` of the
// block (already checked) become the record, and the board is rebuilt from it.
void replaceGame(int colour, const unsigned char* block, int moves) {
    ++wholeGamesLoaded;
    g_game->gameStarted = 1; // before the board is prepared: the menu may then close
    prepareBoardForGame(colour);
    g_game->record.NewGame(true);
    if (moves > 0) {
        (void)g_game->record.LoadMoves(block, moves);
        g_game->record.RestoreBoard();
    }
}

// 'S': a game with the sender's opposite colour; its moves follow as a block. The game on this
// board stays until the block has come and been checked: a damaged one leaves it as it was.
void wholeGameReceived(int side, const unsigned char* m) {
    NetSession& net = netSession();
    const int length = m[2] | m[3] << 8;
    net.blockGathered = 0;
    netSession().netPendingValue = length;
    netSession().netPendingFlag = length != 0 ? 1 : 0;
    // The joining side asks only through the host's consent: a game it sends unasked would
    // replace the host's without it. Its block is skipped so that what follows stays in step.
    if (side == NET_HOST && !net.loadAwaited) {
        if (!net.unaskedGameLogged)
            Log("\nSYSTEM : game received without an accepted load : ignored\n");
        net.unaskedGameLogged = true; // once per connection: a peer may send them in a stream
        net.blockDiscarded = true;
        return;
    }
    // A game the host sends unasked (a new game) ends the question it had asked about the old
    // one: it no longer waits for the answer, which would change this board alone.
    if (side == NET_JOIN && !net.loadAwaited && net.peerQuestion) {
        net.peerQuestion = false;
        if (g_ui && g_game->questionShown) showRequest(false, nullptr, nullptr);
    }
    net.loadAwaited = false;
    net.blockDiscarded = false;
    net.blockColour = m[1] == 'B' ? 1 : 0;
    if (side == NET_JOIN && !netSession().connectIdle) {
        netSession().connectIdle = 1;
        showInfo(false, false, nullptr);
    }
    if (side == NET_JOIN) closeConnectScreen();
    if (length != 0) {
        showInfo(true, false, "Receiving data game");
        return;
    }
    replaceGame(net.blockColour, nullptr, 0);
}

// The awaited block is complete: the game it holds replaces the record and the board, once it
// has passed the record's checks.
void wholeBlockReceived() {
    NetSession& net = netSession();
    netSession().netPendingFlag = 0;
    if (net.blockDiscarded) {
        net.blockDiscarded = false;
        return;
    }
    // Hidden first: a damaged block or the game's result is said after this.
    showInfo(false, false, nullptr);
    const int length = netSession().netPendingValue;
    if (length % 4 != 0 || !g_game->record.MovesLoadable(net.block, length / 4)) {
        tellPlayer("Damaged game received : not loaded");
        return;
    }
    replaceGame(net.blockColour, net.block, length / 4);
}

// 'M': the peer's click replayed through the same three-click selection as a local click.
// True when it confirmed a move (the pass ends there).
bool clickReceived(const unsigned char* m) {
    const int column = int(m[2]) - 'a';
    const int row = '8' - int(m[3]);
    const bool onBoard = column >= 0 && column <= 7 && row >= 0 && row <= 7;
    return g_game->clickSquare(onBoard ? row * 8 + column : OFF_BOARD, ClickSource::Peer) ==
           ClickOutcome::Confirmed;
}

} // namespace

long WholeGamesLoaded() {
    return wholeGamesLoaded;
}

bool SendWholeGame() {
    static unsigned char message[WHOLE_GAME_HEADER + WHOLE_GAME_MAX_BLOCK];
    if (!g_game || !g_board) return false;
    // The peer starts the game afresh, with nothing selected: a selection kept here would make
    // the next click of this side a move the peer never saw chosen.
    g_game->clearSelection();
    const int count = g_game->record.moves.count;
    if (count > WHOLE_GAME_MAX_BLOCK / 4) {
        showInfo(true, true, "Game too long to send");
        Log("\nSYSTEM : game of %d moves too long to send\n", count);
        return false;
    }
    const int length = count * 4;
    message[0] = 'S';
    message[1] = g_game->humanColour == 0 ? 'B' : 'N';
    message[2] = (unsigned char)(length & 0xff);
    message[3] = (unsigned char)(length >> 8);
    for (int i = 0; i < count; ++i) {
        const uint32_t move = uint32_t(g_game->record.moves[i]);
        for (int k = 0; k < 4; ++k)
            message[WHOLE_GAME_HEADER + 4 * i + k] = (unsigned char)(move >> (8 * k));
    }
    return sendToPeer(reinterpret_cast<const char*>(message), WHOLE_GAME_HEADER + length);
}

void SendSquareClick(int row, int column) {
    const char message[4] = {'M', originLetter(), char('a' + column), char('8' - row)};
    sendToPeer(message, 4);
}

void SendChatLine(const char* line) {
    char message[CHAT_MESSAGE_LENGTH] = {'C', originLetter()};
    for (int i = 0; line && i < CHAT_LINE_BYTES && line[i]; ++i)
        message[2 + i] = line[i];
    sendToPeer(message, CHAT_MESSAGE_LENGTH);
}

void ReceiveMessages(int side, char* input, int* inputLength) {
    AppState* app = g_app;
    if (!app || !g_board || !g_game) return;
    // While the intro plays nothing is handled and nothing is dropped: the bytes wait.
    if (side == NET_HOST && g_game->inputSuspended) return;
    if (!input || !inputLength || *inputLength <= 0) return;
    if (side == NET_JOIN && g_game->inputSuspended) return;

    NetSession& net = netSession();
    const int length = *inputLength;
    const auto* in = reinterpret_cast<const unsigned char*>(input);
    int used = 0; // bytes consumed from the front
    for (;;) {
        // 1. A whole game's block, gathered across passes however long it is.
        if (netSession().netPendingFlag) {
            const int missing = netSession().netPendingValue - net.blockGathered;
            const int take = length - used < missing ? length - used : missing;
            if (!net.blockDiscarded) std::memcpy(net.block + net.blockGathered, in + used, take);
            net.blockGathered += take;
            used += take;
            if (net.blockGathered < netSession().netPendingValue) break;
            wholeBlockReceived();
            continue;
        }
        if (used >= length) break;
        // 2. The next message, once all of it is there.
        const unsigned char type = in[used];
        if (type == ' ') { // a stray blank where a type letter is expected
            ++used;
            continue;
        }
        const int need = messageLength(type);
        if (need == 0) {
            // Nothing behind this byte can be framed: the connection goes after this pass.
            net.dropRequested = true;
            net.dropInput = input;
            net.dropByte = type;
            used = length;
            break;
        }
        if (length - used < need) break;
        const unsigned char* m = in + used;
        if (type == 'M' && g_game->boardInMotion()) break; // replayed once the glide has ended
        used += need;
        bool endPass = false;
        switch (type) {
        case 'S':
            wholeGameReceived(side, m);
            break;
        case 'C':
            chatReceived(m);
            break;
        case 'Q':
            // An answer nobody waits for must not act on an old request.
            if (g_game->requestPending) AnswerReceived(m[1] == 'Y');
            break;
        case 'M':
            // The peer never moves the local player's pieces, nor a board a game is replacing.
            if (g_game->mayReplayPeerClick()) endPass = clickReceived(m);
            break;
        default: // 'L', 'R', 'W', 'B'
            QuestionReceived(side, type);
            break;
        }
        if (endPass) break;
    }
    if (used > 0) {
        std::memmove(input, input + used, size_t(length - used));
        *inputLength = length - used;
    }
}
