// Window events and the sub-window: reading one event from the backend, redrawing exposed areas, and
// the dashed navigation rectangle with its pointer zones.
//
// Keys become characters (1), function keys (2) or cursor-block keys (3); buttons and drags carry the
// pointer position packed into keyChar (8 press, 9 release, 10 motion).  Exposures are collected and
// redrawn in batches of up to 16 rectangles, and only there: every pen is clipped to them and
// clearing is cut to them, so the rest of the window keeps its pixels and nothing flashes.  The
// sub-window is drawn so that drawing it twice erases it; moving it erases the old outline and draws
// the new one.
#include <algorithm>

#include "Globals.h"
#include "Ph5.h"
#include "Window.h"

namespace {

// Edges a drag moves in each zone: left 1, right 2, top 4, bottom 8.
const int zoneEdges[10] = {0, 15, 5, 4, 6, 1, 2, 9, 8, 10};

// Sub-window edges are kept inside a range where repeated drags cannot overflow.
int heldEdge(int64_t v) { return int(std::max<int64_t>(-(1 << 30), std::min<int64_t>(1 << 30, v))); }

// One axis of Windex::subWinAround: the span [s, e] scaled by 1/factor about pixel at of pixels,
// kept inside the plane; never wider than the whole plane.
void scaledSpan(int s, int e, int at, int pixels, double factor, int& outS, int& outE) {
  double span = double(int64_t(e) - s), width = span / factor, fixed = s + span * at / pixels;
  if (width >= virtualExtent) {
    outS = 0;
    outE = virtualExtent;
    return;
  }
  double start = std::max(0.0, std::min(fixed - (fixed - s) / factor, virtualExtent - width));
  outS = int(start);
  outE = int(start + width);
}

}  // namespace

// Pointer positions are packed into 12 bits each; a drag that leaves the window is held at its edge.
int packPointer(unsigned button, int x, int y) {
  unsigned b = std::min(button, 127u);
  unsigned px = unsigned(std::max(0, std::min(x, 4095))), py = unsigned(std::max(0, std::min(y, 4095)));
  return int(b << 24 | px << 12 | py);
}

void buttonPoint(int keyChar, int* button, int* x, int* y) {
  *button = int(unsigned(keyChar) >> 24);
  *x = (keyChar >> 12) & 0xFFF;
  *y = keyChar & 0xFFF;
}

void Windex::checkEvent(int* eventType, int* keyChar) {
  *eventType = 0;
  if (usable()) backend->nextEvent(*this, eventType, keyChar);
}

void Windex::exposed(int x, int y, int w, int h, bool last) {
  addClip(x, y, w, h);
  if (last || numClips == maxClips) redrawClips();
}

void Windex::addClip(int x, int y, int w, int h) { clips[numClips++] = {x, y, w, h}; }

void Windex::redrawArea(int x, int y, int w, int h) {
  if (!usable() || w <= 0 || h <= 0) return;
  if (numClips == maxClips) redrawClips();
  addClip(x, y, w, h);
  redrawClips();
}

// Super probes are brought up to date outside the clip first, since the clipped redraw paints all of
// them and so counts all of them as painted.  A window whose size changed is drawn anew as a whole:
// its whole picture scales.
void Windex::redrawClips() {
  PhaseFive& p5 = *phaseFive;
  int oldWidth = xPixels, oldHeight = yPixels;
  readWindowSize();
  if (xPixels != oldWidth || yPixels != oldHeight) {
    numClips = 0;
    p5.repaint();
    return;
  }
  if (p5.superProbeSelect) p5.displaySuperProbes();
  backend->clip(*this, clips, numClips);
  clipped = 1;
  for (int i = 0; i < numClips; i++) clearPixels(clips[i].x, clips[i].y, clips[i].w, clips[i].h);
  p5.drawPicture();
  backend->clip(*this, clips, 0);
  clipped = 0;
  numClips = 0;
}

// Clearing takes no pen and so no clip: while a redraw is clipped it is cut to the rectangles here.
void Windex::clearPixels(int x, int y, int w, int h) {
  if (!clipped) {
    backend->clearPixels(*this, x, y, w, h);
    return;
  }
  for (int i = 0; i < numClips; i++) {
    const PixelRect& c = clips[i];
    int xs = std::max(x, c.x), ys = std::max(y, c.y);
    int xe = std::min(x + w, c.x + c.w), ye = std::min(y + h, c.y + c.h);
    if (xe > xs && ye > ys) backend->clearPixels(*this, xs, ys, xe - xs, ye - ys);
  }
}

// The text hangs from its baseline by the font's ascent and descent.
void Windex::eraseTimeAndQueue() {
  if (!usable()) return;
  int ascent = 24, descent = 6;
  backend->textExtent(*this, &ascent, &descent);
  int baseline = yScale(viewYs + (viewYe - viewYs) / 32);
  redrawArea(0, baseline - ascent, xPixels, ascent + descent + 1);
}

void Windex::repaint() { phaseFive->repaint(); }

void Windex::waitForInput(int ms) {
  if (usable()) backend->waitForInput(*this, ms);
}

// The sub-window.

void Windex::setSubWin() {
  int a = (viewXe - viewXs) / 8, b = (viewYe - viewYs) / 8;
  subWinXs = viewXs + 3 * a;
  subWinYs = viewYs + 3 * b;
  subWinXe = viewXs + 5 * a;
  subWinYe = viewYs + 5 * b;
}

void Windex::subWinAround(int x, int y, double factor) {
  if (xPixels <= 0 || yPixels <= 0 || factor <= 0) return;
  scaledSpan(viewXs, viewXe, x, xPixels, factor, subWinXs, subWinXe);
  scaledSpan(viewYs, viewYe, y, yPixels, factor, subWinYs, subWinYe);
}

// A sub-window squeezed to no width or height would give a view without extent; it is not taken.
void Windex::subWinToViewWin() {
  if (subWinXs == subWinXe || subWinYs == subWinYe) return;
  setView(subWinXs, subWinYs, subWinXe, subWinYe);
}

void Windex::drawSubWindow() {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, subWinXs, subWinYs, subWinXe - subWinXs, subWinYe - subWinYs);
  if (r.w >= 0) backend->subWindowRect(*this, r.x, r.y, r.w, r.h);
}

void Windex::restoreSubWindowOver(int xs, int ys, int w, int h) {
  // drawPicture draws the rectangle once itself, after every pane.
  if (!usable() || clipped || phaseFive->drawingPicture) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  if (r.w < 0) return;
  PixelRect area = {r.x, r.y, r.w + 1, r.h + 1};  // what clearArea cleared
  backend->clip(*this, &area, 1);
  drawSubWindow();
  backend->clip(*this, &area, 0);
}

int Windex::pointInSubWindow(int x, int y) {
  int xs = xScale(subWinXs), xe = xScale(subWinXe), ys = yScale(subWinYs), ye = yScale(subWinYe);
  int zone = 0;
  if (x >= xs && x <= xe && y >= ys && y <= ye) {
    int dX = (xe - xs) / 8, dY = (ye - ys) / 8;
    int column = x < xs + dX ? 0 : x > xe - dX ? 2 : 1;
    int row = y < ys + dY ? 0 : y >= ye - dY ? 2 : 1;
    const int zones[3][3] = {{2, 3, 4}, {5, 1, 6}, {7, 8, 9}};
    zone = zones[row][column];
  }
  setCursor(zone);
  return zone;
}

void Windex::adjustSubWindow(int state, int xn, int yn, int xo, int yo) {
  if (state < 1 || state > 9 || xPixels <= 0 || yPixels <= 0) return;
  int64_t dx = int64_t(float(int64_t(viewXe) - viewXs) * float(xn - xo) / float(xPixels));
  int64_t dy = int64_t(float(int64_t(viewYe) - viewYs) * float(yn - yo) / float(yPixels));
  int edges = zoneEdges[state];
  drawSubWindow();
  if (edges & 1) subWinXs = heldEdge(subWinXs + dx);
  if (edges & 2) subWinXe = heldEdge(subWinXe + dx);
  if (edges & 4) subWinYs = heldEdge(subWinYs + dy);
  if (edges & 8) subWinYe = heldEdge(subWinYe + dy);
  drawSubWindow();
}

void Windex::setCursor(int which) {
  if (!usable()) return;
  backend->setCursor(*this, which < 0 || which > 9 ? 0 : which);
}
