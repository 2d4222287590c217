// The display window: opening it, its colours and contexts, the drawing primitives and the view.
//
// Positions reach the primitives in virtual coordinates and are mapped to pixels through the view in
// single precision, as xScale and friends define it; a rectangle's extent is the distance between its
// scaled corners.  Before a shape goes to Xlib it is clipped (lines)
// or clamped (rectangles) to just beyond the window: a deeply zoomed view maps far-away parts of the
// schematic to pixel positions outside the protocol's 16-bit range, which would otherwise wrap round
// and draw across the window.  An empty view extent is scaled as if it were one unit wide.
//
// X errors and a broken connection end the run by setting done.  For the broken connection Xlib's
// exit handler is replaced by one that returns: Xlib then marks the display dead and every later call
// returns at once, the run loop sees done at its next test, and the process ends through the normal
// shutdown instead of inside Xlib.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Globals.h"
#include "WindowX.h"

GC gc_ONE = nullptr, gc_ZERO = nullptr, gc_UNINITIALIZED = nullptr, gc_XXX = nullptr, gc_HIZ = nullptr,
   gc_BOLD = nullptr;
unsigned long colormap1 = 0;
unsigned long foreground1 = 0, background1 = 0;
char bar_color_ONE[8], bar_color_ZERO[8], bar_color_UNINITIALIZED[8], bar_color_XXX[8], bar_color_HIZ[8];
XColor color_ONE, color_ZERO, color_UNINITIALIZED, color_XXX, color_HIZ;

int Windex::cursor_shape[10] = {2, 52, 134, 116, 136, 108, 108, 12, 116, 14};

namespace {

// The value colours start as the default palette's (Palette.cpp), before anything is read.
struct DefaultValueColours {
  DefaultValueColours() { resetPalette(); }
} defaultValueColours;

// Shapes further outside the window than this are cut back to it.
const double clipMargin = 2.0;

int onXError(Display*, XErrorEvent*) {
  done = 1;
  return 0;
}

int onXIOError(Display*) {
  done = 1;
  return 0;
}

void onXIOErrorExit(Display*, void* windex) {
  done = 1;
  static_cast<Windex*>(windex)->connectionLost = 1;
}

float extent(int start, int end) {
  float e = float(int64_t(end) - start);
  return e == 0.0f ? 1.0f : e;
}

// A float pixel position as an int, truncated toward zero; far-off values are held to a safe range.
int truncated(float v) { return int(std::max(-1.0e9f, std::min(1.0e9f, v))); }

// Allocates the colour of a -c/-C/-S triple (8-bit components); ends the process when it cannot.
unsigned long allocateOption(Display* d, int r, int g, int b, const char* what) {
  XColor c;
  c.red = static_cast<unsigned short>(r << 8);
  c.green = static_cast<unsigned short>(g << 8);
  c.blue = static_cast<unsigned short>(b << 8);
  c.flags = DoRed | DoGreen | DoBlue;
  if (!XAllocColor(d, colormap1, &c)) {
    fprintf(stderr, "Can't Alloc %s Pixel\n\n", what);
    exit(255);
  }
  return c.pixel;
}

bool anySet(int r, int g, int b) { return r != 0 || g != 0 || b != 0; }

GC valueContext(Display* d, Window w, unsigned long background, char* name, XColor* colour) {
  if (XParseColor(d, colormap1, name, colour)) XAllocColor(d, colormap1, colour);
  XGCValues v;
  v.background = background;
  v.foreground = colour->pixel;
  v.function = GXcopy;
  return XCreateGC(d, w, GCBackground | GCForeground | GCFunction, &v);
}

GC boldContext(Display* d, Window w, unsigned long foreground, unsigned long background) {
  XGCValues v;
  v.background = background;
  v.foreground = foreground;
  v.function = GXcopy;
  v.line_width = 2;
  v.line_style = LineSolid;
  v.cap_style = CapButt;
  v.join_style = JoinBevel;
  return XCreateGC(d, w, GCBackground | GCForeground | GCFunction | GCLineWidth | GCLineStyle | GCCapStyle |
                             GCJoinStyle, &v);
}

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
  XSetErrorHandler(onXError);
  XSetIOErrorHandler(onXIOError);
  if (!useXDisplay) return;
  display = XOpenDisplay("");
  if (!display) {
    fprintf(stderr, "Unable to open X Window\n");
    return;
  }
  XSetIOErrorExitHandler(display, onXIOErrorExit, this);
  records = new WindexRecords();
  screen = DefaultScreen(display);
  colormap1 = DefaultColormap(display, screen);
  background = anySet(red_bg, green_bg, blue_bg) ? allocateOption(display, red_bg, green_bg, blue_bg, "background")
                                                  : WhitePixel(display, screen);
  foreground = anySet(red_fg, green_fg, blue_fg) ? allocateOption(display, red_fg, green_fg, blue_fg, "foreground")
                                                  : BlackPixel(display, screen);
  subwin = anySet(red_sw, green_sw, blue_sw) ? allocateOption(display, red_sw, green_sw, blue_sw, "subwindow")
                                              : allocateOption(display, 255, 0, 0, "subwindow");
  subwin ^= background;
  createWindow(labelString);
  createContexts();
  XSelectInput(display, window, KeyPressMask | ButtonPressMask | ButtonReleaseMask | Button1MotionMask |
                                    ExposureMask | StructureNotifyMask);
  XMapRaised(display, window);
  resetView();
  setSubWin();
  awaitFirstExposure();
}

namespace {

// The size-hint bits for the parts of the geometry the user gave (XGeometry's mask), program-specified
// for the rest.  The mask itself cannot be passed on: its XNegative and YNegative bits are PMinSize
// and PMaxSize in the hints, and would tell the window manager the window may be neither larger nor
// smaller than 0 by 0.
long sizeHintFlags(int mask) {
  long flags = (mask & (XValue | YValue)) ? USPosition | PWinGravity : PPosition;
  return flags | ((mask & (WidthValue | HeightValue)) ? USSize : PSize);
}

// The corner a user's position is measured from: a negative offset counts from the right or bottom
// edge of the screen.
int gravityOf(int mask) {
  bool right = mask & XNegative, bottom = mask & YNegative;
  if (right && bottom) return SouthEastGravity;
  if (right) return NorthEastGravity;
  return bottom ? SouthWestGravity : NorthWestGravity;
}

}  // namespace

void Windex::createWindow(const char* labelString) {
  XSizeHints& hint = records->hint;
  int x = 0, y = 0, w = 0, h = 0;
  int mask = XGeometry(display, screen, XW_geometry, "1025x825+100+25", 5, 1, 1, 0, 0, &x, &y, &w, &h);
  // A size the server would refuse (0, or beyond its 16-bit limit) would leave no window to wait for.
  hint.x = x;
  hint.y = y;
  hint.width = std::max(1, std::min(w, 32767));
  hint.height = std::max(1, std::min(h, 32767));
  // XGeometry has already counted negative offsets from the screen's right or bottom edge.
  hint.flags = sizeHintFlags(mask);
  hint.win_gravity = gravityOf(mask);
  window = XCreateSimpleWindow(display, RootWindow(display, screen), hint.x, hint.y, unsigned(hint.width),
                               unsigned(hint.height), 5, foreground, background);
  cursor = XCreateFontCursor(display, unsigned(cursor_shape[0]));
  XDefineCursor(display, window, cursor);
  XSetStandardProperties(display, window, augmentedLabelString, labelString, None, nullptr, 0, &hint);
  XSetWMNormalHints(display, window, &hint);  // the standard properties leave out the gravity
}

void Windex::createContexts() {
  gc = XCreateGC(display, window, 0, nullptr);
  XSetBackground(display, gc, background);
  XSetForeground(display, gc, foreground);
  XSetFunction(display, gc, GXcopy);
  numClips = 0;
  gc_BOLD = boldContext(display, window, foreground, background);
  gc_ONE = valueContext(display, window, background, bar_color_ONE, &color_ONE);
  gc_ZERO = valueContext(display, window, background, bar_color_ZERO, &color_ZERO);
  gc_UNINITIALIZED = valueContext(display, window, background, bar_color_UNINITIALIZED, &color_UNINITIALIZED);
  gc_XXX = valueContext(display, window, background, bar_color_XXX, &color_XXX);
  gc_HIZ = valueContext(display, window, background, bar_color_HIZ, &color_HIZ);
}

// The first exposure says the window is on the screen; a window placed wholly off the screen gets none,
// so the wait gives up after a few seconds rather than hanging.
void Windex::awaitFirstExposure() {
  for (int waited = 0; waited < 3000 && !connectionLost; waited += 10) {
    if (XCheckTypedWindowEvent(display, window, Expose, &records->event)) break;
    waitForInput(10);
  }
  readWindowSize();
}

void Windex::readWindowSize() {
  if (!usable()) return;
  XWindowAttributes a;
  if (!XGetWindowAttributes(display, window, &a)) return;
  xPixels = a.width;
  yPixels = a.height;
}

Windex::~Windex() {
  if (display) {
    GC* contexts[] = {&gc_ONE, &gc_ZERO, &gc_UNINITIALIZED, &gc_XXX, &gc_HIZ, &gc_BOLD, &gc};
    for (GC* c : contexts) {
      if (*c) XFreeGC(display, *c);
      *c = nullptr;
    }
    XFreeCursor(display, cursor);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    display = nullptr;
  }
  delete records;
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
  if (usable()) XClearWindow(display, window);
}

void Windex::clearArea(int xs, int ys, int w, int h) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  // The outline of a rectangle reaches one pixel further right and down than its inside, so that
  // pixel is cleared too: no trace of an earlier pane's outline or diagonal stays behind.  (This also
  // keeps the extent above zero, which Xlib would read as "to the window's edge".)
  if (r.w >= 0) clearPixels(r.x, r.y, r.w + 1, r.h + 1);
}

void Windex::drawSegment(GC context, int xs, int ys, int xe, int ye) {
  if (!usable()) return;
  double x0 = xPixel(xs), y0 = yPixel(ys), x1 = xPixel(xe), y1 = yPixel(ye);
  if (!clipSegment(x0, y0, x1, y1, xPixels + clipMargin, yPixels + clipMargin)) return;
  XDrawLine(display, window, context, int(x0), int(y0), int(x1), int(y1));
}

void Windex::drawLine(int xs, int ys, int xe, int ye) { drawSegment(gc, xs, ys, xe, ye); }
void Windex::drawLine_BOLD(int xs, int ys, int xe, int ye) { drawSegment(gc_BOLD, xs, ys, xe, ye); }

void Windex::drawRectangle(int xs, int ys, int w, int h) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  if (r.w >= 0) XDrawRectangle(display, window, gc, r.x, r.y, unsigned(r.w), unsigned(r.h));
}

void Windex::fill(GC context, int xs, int ys, int w, int h) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  if (r.w > 0 && r.h > 0) XFillRectangle(display, window, context, r.x, r.y, unsigned(r.w), unsigned(r.h));
}

void Windex::drawFilledRectangle(int xs, int ys, int w, int h) { fill(gc, xs, ys, w, h); }
void Windex::drawFilledRectangle_ONE(int xs, int ys, int w, int h) { fill(gc_ONE, xs, ys, w, h); }
void Windex::drawFilledRectangle_ZERO(int xs, int ys, int w, int h) { fill(gc_ZERO, xs, ys, w, h); }
void Windex::drawFilledRectangle_UNINITIALIZED(int xs, int ys, int w, int h) {
  fill(gc_UNINITIALIZED, xs, ys, w, h);
}
void Windex::drawFilledRectangle_XXX(int xs, int ys, int w, int h) { fill(gc_XXX, xs, ys, w, h); }
void Windex::drawFilledRectangle_HIZ(int xs, int ys, int w, int h) { fill(gc_HIZ, xs, ys, w, h); }

void Windex::drawCircle(int xs, int ys, int w, int h, int angle1, int angle2) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  if (r.w >= 0) XDrawArc(display, window, gc, r.x, r.y, unsigned(r.w), unsigned(r.h), angle1, angle2);
}

void Windex::drawFilledCircle(int xs, int ys, int w, int h, int angle1, int angle2) {
  if (!usable()) return;
  PixelRect r = pixelRect(*this, xs, ys, w, h);
  if (r.w > 0 && r.h > 0) XFillArc(display, window, gc_ZERO, r.x, r.y, unsigned(r.w), unsigned(r.h), angle1, angle2);
}

void Windex::drawText(int x, int y, const char* s) {
  if (!usable()) return;
  // Text runs right from its start and up from its baseline; far outside the window none of it shows.
  const float textReach = 4000.0f;
  float px = xPixel(x), py = yPixel(y);
  if (px < -textReach || px > xPixels + textReach || py < -textReach || py > yPixels + textReach) return;
  XDrawImageString(display, window, gc, int(px), int(py), s, int(strlen(s)));
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
