// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/player_info.h"

#include <cstdio>

namespace {
// A copy of the last text, for callers that build theirs (a PGN game's refused move); the info
// line copies it too.
char lastCopy[256];
const char* lastText = nullptr;                  // lastCopy, or null
void (*messageSink)(const char* text) = nullptr; // the interface's info line, once built
} // namespace

void setPlayerMessageSink(void (*show)(const char* text)) {
    messageSink = show;
}

void tellPlayer(const char* text) {
    if (!text) return;
    std::snprintf(lastCopy, sizeof lastCopy, "%s", text);
    lastText = lastCopy;
    if (messageSink) messageSink(text);
}

const char* lastPlayerMessage() {
    return lastText;
}

void forgetPlayerMessage() {
    lastText = nullptr;
}
