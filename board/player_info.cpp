#include "board/player_info.h"

#include "app/globals.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {
const char* lastText = nullptr; // callers pass string literals
} // namespace

void tellPlayer(const char* text) {
    if (!text) return;
    lastText = text;
    // Before the overlay exists (start-up, tests of the board alone) there is no info line.
    if (g_ui && g_ui->overlay) showInfo(true, true, text);
}

const char* lastPlayerMessage() {
    return lastText;
}

void forgetPlayerMessage() {
    lastText = nullptr;
}
