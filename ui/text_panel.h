#pragma once
// A dark panel with a thin light frame, drawn behind lines of text (the move line, the load
// screen's details, the statistics): two window-space images under the texts.

class KImage2D;

struct TextPanel {
    KImage2D* frame = nullptr; // one pixel wider on every side than the body
    KImage2D* body = nullptr;
};

// A hidden panel; `name` names its two materials (name + "Frame", name). Null images without a
// scene.
TextPanel makeTextPanel(const char* name);

// The body's rectangle in window pixels (top-left corner, size); the frame follows.
void placeTextPanel(TextPanel& panel, int x, int y, int width, int height);

void setTextPanelShown(TextPanel& panel, bool shown);
