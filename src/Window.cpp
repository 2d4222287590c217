// The display window: the view, the scaling of virtual coordinates to pixels and the drawing
// primitives, over the display backend chosen at start (Display.h).
//
// Positions reach the primitives in virtual coordinates and are mapped to pixels through the view in
// single precision, as xScale and friends define it; a rectangle's extent is the distance between its
// scaled corners.  Before a shape goes to the backend it is clipped (lines) or clamped (rectangles) to
// just beyond the window: a deeply zoomed view maps far-away parts of the schematic to pixel positions
// outside a display's 16-bit range, which would otherwise wrap round and draw across the window.  An
// empty view extent is scaled as if it were one unit wide.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Globals.h"
#include "Window.h"

char bar_color_ONE[8], bar_color_ZERO[8], bar_color_UNINITIALIZED[8], bar_color_XXX[8], bar_color_HIZ[8];

namespace {

// The value colours start as the default palette's (Palette.cpp), before anything is read.
struct DefaultValueColours {
  DefaultValueColours() { resetPalette(); }
} defaultValueColours;

// Shapes further outside the window than this are cut back to it.
const double clipMargin = 2.0;

float extent(int start, int end) {
  float e = float(int64_t(end) - start);
  return e == 0.0f ? 1.0f : e;
}

// A float pixel position as an int, truncated toward zero; far-off values are held to a safe range.
int truncated(float v) { return int(std::max(-1.0e9f, std::min(1.0e9f, v))); }

// Cuts the segment to the rectangle lo..hi on both axes (Liang-Barsky); false when nothing is left.
bool clipSegment(double& x0, double& y0, double& x1, double& y1, double xhi, double yhi) {
  double t0 = 0.0, t1 = 1.0, dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 + clipMargin, xhi - x0, y0 + clipMargin, yhi - y0};
  for (int i = 0; i < 4; i++) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0.0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  double sx = x0, sy = y0;
  if (t1 < 1.0) x1 = sx + t1 * dx, y1 = sy + t1 * dy;
  if (t0 > 0.0) x0 = sx + t0 * dx, y0 = sy + t0 * dy;
  return true;
}

// One axis of a rectangle from the pixel positions of its two ends, in order and clamped.  Taking the
// extent as the difference of the scaled ends (rather than scaling it on its own) makes a rectangle's
// edges fall on the same pixels as lines drawn to the same virtual positions.
bool clampSpan(float start, float end, double hi, int& outStart, int& outSize) {
  double a = std::trunc(double(std::min(start, end))), b = std::trunc(double(std::max(start, end)));
  if (b < -clipMargin || a > hi) return false;
  a = std::max(a, -clipMargin);
  b = std::min(b, hi);
  outStart = int(a);
  outSize = int(b - a);
  return true;
}

}  // namespace

PixelRect pixelRect(const Windex& win, int xs, int ys, int w, int h) {
  PixelRect r = {0, 0, 0, 0};
  if (!clampSpan(win.xPixel(xs), win.xPixel(int64_t(xs) + w), win.xPixels + clipMargin, r.x, r.w) ||
      !clampSpan(win.yPixel(ys), win.yPixel(int64_t(ys) + h), win.yPixels + clipMargin, r.y, r.h))
    r.x = r.y = r.w = r.h = -1;  // wholly outside the window
  return r;
}

Windex::Windex(const char* labelString) {
  snprintf(augmentedLabelString, sizeof augmentedLabelString, "%s%s", labelString, WindowLabelString);
  if (!useXDisplay) return;
  backend = windowDisplay;
  windowOpen = backend->open(*this, labelString);
  if (!windowOpen) {
    backend = &headlessDisplay;
    return;
  }
  resetView();
  setSubWin();
}

Windex::~Windex() {
  if (windowOpen) backend->close(*this);
}

void Windex::readWindowSize() {
  if (usable()) backend->size(*this, &xPixels, &yPixels);
}

// Scaling.

float Windex::xPixel(int64_t x) const { return float(xPixels) * (float(x - viewXs) / extent(viewXs, viewXe)); }
float Windex::yPixel(int64_t y) const { return float(yPixels) * (float(y - viewYs) / extent(viewYs, viewYe)); }
int Windex::xScale(int x) const { return truncated(xPixel(x)); }
int Windex::yScale(int y) const { return truncated(yPixel(y)); }
int Windex::wScale(int w) const { return truncated(float(xPixels) * (float(w) / extent(viewXs, viewXe))); }
int Windex::hScale(int h) const { return truncated(float(yPixels) * (float(h) / extent(viewYs, viewYe))); }

// Drawing primitives.

void Windex::clear() {
  if (usable()) backend->clearWindow(*this);
}

void Windex::clearArea(int xs, int ys, int w, int h) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  // The outline of a rectangle reaches one pixel further right and down than its inside, so that
  // pixel is cleared too: no trace of an earlier pane's outline or diagonal stays behind.  (This also
  // keeps the extent above zero, which Xlib would read as "to the window's edge".)
  if (r.w >= 0) clearPixels(r.x, r.y, r.w + 1, r.h + 1);
}

void Windex::drawSegment(DisplayPen pen, int xs, int ys, int xe, int ye) {
  if (!usable()) return;
  double x0 = xPixel(xs), y0 = yPixel(ys), x1 = xPixel(xe), y1 = yPixel(ye);
  if (!clipSegment(x0, y0, x1, y1, xPixels + clipMargin, yPixels + clipMargin)) return;
  backend->line(*this, pen, int(x0), int(y0), int(x1), int(y1));
}

void Windex::drawLine(int xs, int ys, int xe, int ye) { drawSegment(penForeground, xs, ys, xe, ye); }
void Windex::drawLine_BOLD(int xs, int ys, int xe, int ye) { drawSegment(penBold, xs, ys, xe, ye); }

void Windex::drawRectangle(int xs, int ys, int w, int h) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  if (r.w >= 0) backend->rectangle(*this, r.x, r.y, r.w, r.h);
}

void Windex::fill(DisplayPen pen, int xs, int ys, int w, int h) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  if (r.w > 0 && r.h > 0) backend->fill(*this, pen, r.x, r.y, r.w, r.h);
}

void Windex::drawFilledRectangle(int xs, int ys, int w, int h) { fill(penForeground, xs, ys, w, h); }
void Windex::drawFilledRectangle_ONE(int xs, int ys, int w, int h) { fill(penONE, xs, ys, w, h); }
void Windex::drawFilledRectangle_ZERO(int xs, int ys, int w, int h) { fill(penZERO, xs, ys, w, h); }
void Windex::drawFilledRectangle_UNINITIALIZED(int xs, int ys, int w, int h) {
  fill(penUNINITIALIZED, xs, ys, w, h);
}
void Windex::drawFilledRectangle_XXX(int xs, int ys, int w, int h) { fill(penXXX, xs, ys, w, h); }
void Windex::drawFilledRectangle_HIZ(int xs, int ys, int w, int h) { fill(penHIZ, xs, ys, w, h); }

void Windex::drawCircle(int xs, int ys, int w, int h, int angle1, int angle2) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  if (r.w >= 0) backend->arc(*this, penForeground, false, r.x, r.y, r.w, r.h, angle1, angle2);
}

void Windex::drawFilledCircle(int xs, int ys, int w, int h, int angle1, int angle2) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  if (r.w > 0 && r.h > 0) backend->arc(*this, penZERO, true, r.x, r.y, r.w, r.h, angle1, angle2);
}

void Windex::drawText(int x, int y, const char* s) {
  if (!usable()) return;
  // Text runs right from its start and up from its baseline; far outside the window none of it shows.
  const float textReach = 4000.0f;
  float px = xPixel(x), py = yPixel(y);
  if (px < -textReach || px > xPixels + textReach || py < -textReach || py > yPixels + textReach) return;
  backend->text(*this, int(px), int(py), s);
}

void Windex::drawTimeAndQueue(uint64_t t, int q, int s) {
  if (!usable()) return;
  char text[96];
  snprintf(text, sizeof text, "T=%llu Q=%d S=%d        ", static_cast<unsigned long long>(t), q, s);
  drawText(viewXs + (viewXe - viewXs) / 32, viewYs + (viewYe - viewYs) / 32, text);
}

// The view.

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

// Without a window there are no pixels to map from; a rectangle that would leave the view without
// width or height (equal corners, or a sliver of a deeply zoomed view) is not taken.
void Windex::reviseView(int xa, int ya, int xb, int yb) {
  if (xPixels <= 0 || yPixels <= 0) return;
  float w = float(int64_t(viewXe) - viewXs), h = float(int64_t(viewYe) - viewYs);
  int xs = viewXs + truncated(w * float(xa) / float(xPixels));
  int ys = viewYs + truncated(h * float(ya) / float(yPixels));
  int xe = viewXs + truncated(w * float(xb) / float(xPixels));
  int ye = viewYs + truncated(h * float(yb) / float(yPixels));
  if (xs == xe || ys == ye) return;
  setView(xs, ys, xe, ye);
}

void Windex::showView() const { fprintf(stderr, "View: %d %d %d %d\n", viewXs, viewYs, viewXe, viewYe); }
