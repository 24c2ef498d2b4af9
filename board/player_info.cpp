#include "board/player_info.h"

namespace {
const char* lastText = nullptr;                  // callers pass string literals
void (*messageSink)(const char* text) = nullptr; // the interface's info line, once built
} // namespace

void setPlayerMessageSink(void (*show)(const char* text)) {
    messageSink = show;
}

void tellPlayer(const char* text) {
    if (!text) return;
    lastText = text;
    if (messageSink) messageSink(text);
}

const char* lastPlayerMessage() {
    return lastText;
}

void forgetPlayerMessage() {
    lastText = nullptr;
}
