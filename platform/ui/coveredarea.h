#pragma once
// RepaintCoveredArea: a menu or a dialog that closed has the program's other windows
// repaint at once, within their own widgets, what it covered: the command it started may
// work for a while (walk the model, draw a long frame) before the event loop would paint
// them, and the closed window's picture would stay on the screen meanwhile. The view shows
// its last frame there unless a frame was asked for already. User-interface thread.

class QWidget;

// The closed window: a top-level one (a menu, a dialog), its place on the screen as it was.
void RepaintCoveredArea(const QWidget& closed);
