// The display window.  No X connection is made yet: with -X there is none by choice, otherwise the
// display counts as one that could not be opened, and every drawing operation does nothing.
#include "Window.h"

#include <cstdio>
#include <cstring>

#include "Globals.h"

Windex::Windex(const char* labelString) {
  snprintf(augmentedLabelString, sizeof augmentedLabelString, "%s%s", labelString, WindowLabelString);
  display = nullptr;
  if (!useXDisplay) return;
  fprintf(stderr, "Unable to open X Window\n");
}

Windex::~Windex() {}

// Drawing primitives: there is no connection to draw on yet.
void Windex::clear() {}
void Windex::clearArea(int, int, int, int) {}
void Windex::drawLine(int, int, int, int) {}
void Windex::drawLine_BOLD(int, int, int, int) {}
void Windex::drawRectangle(int, int, int, int) {}
void Windex::drawFilledRectangle(int, int, int, int) {}
void Windex::drawFilledRectangle_ONE(int, int, int, int) {}
void Windex::drawFilledRectangle_ZERO(int, int, int, int) {}
void Windex::drawFilledRectangle_UNINITIALIZED(int, int, int, int) {}
void Windex::drawFilledRectangle_XXX(int, int, int, int) {}
void Windex::drawFilledRectangle_HIZ(int, int, int, int) {}
void Windex::drawCircle(int, int, int, int, int, int) {}
void Windex::drawFilledCircle(int, int, int, int, int, int) {}
void Windex::drawText(int, int, const char*) {}

void Windex::drawTimeAndQueue(uint64_t t, int q, int s) {
  if (!display) return;
  char text[96];
  snprintf(text, sizeof text, "T=%llu Q=%d S=%d        ", static_cast<unsigned long long>(t), q, s);
  drawText(viewXs + (viewXe - viewXs) / 32, viewYs + (viewYe - viewYs) / 32, text);
}

void Windex::drawSubWindow() {}

void Windex::resetView() { setView(0, 0, virtualExtent, virtualExtent); }

void Windex::setView(int xs, int ys, int xe, int ye) {
  viewXs = xs;
  viewYs = ys;
  viewXe = xe;
  viewYe = ye;
}

void Windex::getView(int* xs, int* ys, int* xe, int* ye) const {
  *xs = viewXs;
  *ys = viewYs;
  *xe = viewXe;
  *ye = viewYe;
}

// Zooms to a rectangle given in window pixels; without a window there are no pixels to map from.
void Windex::reviseView(int xa, int ya, int xb, int yb) {
  if (xPixels <= 0 || yPixels <= 0) return;
  float w = float(viewXe - viewXs), h = float(viewYe - viewYs);
  int xs = viewXs + int(w * float(xa) / float(xPixels));
  int ys = viewYs + int(h * float(ya) / float(yPixels));
  int xe = viewXs + int(w * float(xb) / float(xPixels));
  int ye = viewYs + int(h * float(yb) / float(yPixels));
  setView(xs, ys, xe, ye);
}

void Windex::showView() const { fprintf(stderr, "View: %d %d %d %d\n", viewXs, viewYs, viewXe, viewYe); }

void Windex::setSubWin() {
  int a = (viewXe - viewXs) / 8, b = (viewYe - viewYs) / 8;
  subWinXs = viewXs + 3 * a;
  subWinYs = viewYs + 3 * b;
  subWinXe = viewXs + 5 * a;
  subWinYe = viewYs + 5 * b;
}

void Windex::checkEvent(int* eventType, int* keyChar) {
  *eventType = 0;
  *keyChar = 0;
}
